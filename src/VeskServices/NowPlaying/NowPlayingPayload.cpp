#include "VeskServices/NowPlaying/NowPlayingPayload.h"

#include <cmath>

namespace vesk {

namespace {

void mergeString(std::optional<QString>& field, const QJsonObject& payload, QLatin1StringView key) {
    const auto it = payload.constFind(key);
    if (it == payload.constEnd()) return;
    field = it->isString() ? std::optional<QString>(it->toString()) : std::nullopt;
}

void mergeNumber(std::optional<double>& field, const QJsonObject& payload, QLatin1StringView key) {
    const auto it = payload.constFind(key);
    if (it == payload.constEnd()) return;
    field = it->isDouble() ? std::optional<double>(it->toDouble()) : std::nullopt;
}

// Truncated toward zero; a number that is not finite or lies outside the signed 64-bit
// range clears the field.
void mergeInteger(std::optional<qint64>& field, const QJsonObject& payload, QLatin1StringView key) {
    const auto it = payload.constFind(key);
    if (it == payload.constEnd()) return;
    field.reset();
    if (!it->isDouble()) return;
    const double value = std::trunc(it->toDouble());
    if (!std::isfinite(value) || value < -9223372036854775808.0 || value >= 9223372036854775808.0) return;
    field = static_cast<qint64>(value);
}

void mergeBool(bool& field, const QJsonObject& payload, QLatin1StringView key) {
    const auto it = payload.constFind(key);
    if (it == payload.constEnd()) return;
    field = it->isBool() && it->toBool();
}

template <typename Mode>
void mergeMode(std::optional<Mode>& field, const QJsonObject& payload, QLatin1StringView key) {
    const auto it = payload.constFind(key);
    if (it == payload.constEnd()) return;
    field = it->isString() ? fromRaw<Mode>(it->toString()) : std::nullopt;
}

std::optional<QByteArray> decodeStandardBase64(const QString& text) {
    const QByteArray encoded = text.toLatin1();
    // Standard padded base64 only, as the adapter writes it.
    if (encoded.size() % 4 != 0 || text.size() != encoded.size()) return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok) return std::nullopt;
    return std::move(decoded.decoded);
}

} // namespace

void mergeNowPlayingPayload(NowPlayingState& state, const QJsonObject& payload, Date now) {
    mergeString(state.title, payload, QLatin1StringView("title"));
    mergeString(state.artist, payload, QLatin1StringView("artist"));
    mergeString(state.album, payload, QLatin1StringView("album"));
    mergeString(state.genre, payload, QLatin1StringView("genre"));
    mergeString(state.composer, payload, QLatin1StringView("composer"));
    mergeString(state.bundleIdentifier, payload, QLatin1StringView("bundleIdentifier"));
    mergeString(state.mediaType, payload, QLatin1StringView("mediaType"));
    mergeString(state.contentItemIdentifier, payload, QLatin1StringView("contentItemIdentifier"));
    mergeString(state.artworkMimeType, payload, QLatin1StringView("artworkMimeType"));
    mergeNumber(state.duration, payload, QLatin1StringView("duration"));
    mergeInteger(state.trackNumber, payload, QLatin1StringView("trackNumber"));
    mergeInteger(state.queueIndex, payload, QLatin1StringView("queueIndex"));
    mergeInteger(state.totalQueueCount, payload, QLatin1StringView("totalQueueCount"));

    if (payload.contains(QLatin1StringView("elapsedTime"))) {
        mergeNumber(state.elapsed, payload, QLatin1StringView("elapsedTime"));
        state.elapsedAsOf = now;
    }
    if (const auto it = payload.constFind(QLatin1StringView("playbackRate")); it != payload.constEnd())
        state.playbackRate = it->isDouble() ? it->toDouble() : 0;

    mergeBool(state.isPlaying, payload, QLatin1StringView("playing"));
    mergeBool(state.isMusicApp, payload, QLatin1StringView("isMusicApp"));
    mergeMode(state.shuffle, payload, QLatin1StringView("shuffleMode"));
    mergeMode(state.repeatMode, payload, QLatin1StringView("repeatMode"));

    if (const auto it = payload.constFind(QLatin1StringView("artworkData")); it != payload.constEnd()) {
        if (it->isNull())
            state.artwork.reset();
        else if (it->isString())
            state.artwork = decodeStandardBase64(it->toString());
    }
}

} // namespace vesk
