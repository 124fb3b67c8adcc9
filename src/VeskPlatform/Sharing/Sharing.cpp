#include "VeskPlatform/Sharing/Sharing.h"

namespace vesk {

namespace {

class SystemSharing final : public Sharing {
public:
    bool isAirDropAvailable() const override { return false; }
    QString airDropUnavailableReason() const override {
        return QStringLiteral("AirDrop is not available on Linux.");
    }
    bool sendViaAirDrop(const QList<QUrl>&) override { return false; }
};

} // namespace

Sharing& Sharing::system() {
    static SystemSharing sharing;
    return sharing;
}

} // namespace vesk
