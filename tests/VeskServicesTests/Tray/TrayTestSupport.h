#pragma once

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Json.h"
#include "VeskServices/Tray/TrayStore.h"
#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
#include "support/Tray/FakeThumbnailGenerator.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <optional>

namespace vesk::test {

// A tray in this test process's own data folder, with a scratch folder for sources.
// By default the tray's queue runs on the manual scheduler (installed as the main
// scheduler too), so `run()` performs all queued work and its hand-back at once.
class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_testRoot = qEnvironmentVariable("VESK_TEST_ROOT");
        ASSERT_FALSE(m_testRoot.isEmpty());
        m_sources = m_testRoot + QStringLiteral("/sources");
        ASSERT_TRUE(QDir().mkpath(m_sources));
        qputenv("VESK_TRACE", "1");
    }

    QString dataHome() const { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }
    QString trayRoot() const { return dataHome() + QStringLiteral("/Vesk/Tray"); }
    QString trashFiles() const { return dataHome() + QStringLiteral("/Trash/files"); }
    QString source(const QString& relative) const { return m_sources + QLatin1Char('/') + relative; }

    QString makeFile(const QString& relative, const QByteArray& bytes = "hello") const {
        const QString path = source(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    static QUrl url(const QString& path) { return QUrl::fromLocalFile(path); }
    static QList<QUrl> urls(const QStringList& paths) {
        QList<QUrl> list;
        for (const QString& p : paths)
            list.append(QUrl::fromLocalFile(p));
        return list;
    }

    TrayStoreOptions manualOptions() {
        TrayStoreOptions options;
        options.maxItems = [this] { return m_maxItems; };
        options.clock = &m_scheduler.clock();
        options.queueScheduler = &m_scheduler;
        options.thumbnails = m_generator;
        options.pictures = pictureSource();
        return options;
    }

    // Stands in for the worker: answers on the main loop with a square of
    // `m_pictureColor`, or with nothing while that is unset; remembers what it was asked.
    TrayThumbnails::PictureSource pictureSource() {
        return [this](const QString& path, int pixels, TrayThumbnails::PictureDone done) {
            m_picturePaths.append(path);
            const std::optional<QRgb> color = m_pictureColor;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [done, pixels, color] {
                    if (!color) return done(std::nullopt);
                    QImage image(pixels, pixels, QImage::Format_ARGB32);
                    image.fill(*color);
                    done(image);
                },
                Qt::QueuedConnection);
        };
    }

    // A store over the manual scheduler.
    std::unique_ptr<TrayStore> openManual() {
        if (!m_mainGuard) m_mainGuard = std::make_unique<ScopedMainScheduler>(m_scheduler);
        auto store = std::make_unique<TrayStore>(QStringLiteral("Vesk"), manualOptions());
        run();
        return store;
    }

    // A store with its own queue thread and the real main loop.
    std::unique_ptr<TrayStore> openThreaded() {
        TrayStoreOptions options;
        options.maxItems = [this] { return m_maxItems; };
        options.thumbnails = m_generator;
        options.pictures = pictureSource();
        return std::make_unique<TrayStore>(QStringLiteral("Vesk"), options);
    }

    void run() { m_scheduler.runPending(); }

    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList trayEntries() const {
        return QDir(trayRoot()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QString itemFolder(const TrayItem& item) const {
        return trayRoot() + QLatin1Char('/') + json::uuidString(item.id);
    }

    QStringList trace() const { return TraceLog::recentLogLines(200); }

    ManualScheduler m_scheduler{Date::fromUnix(1700000000.75)};
    std::unique_ptr<ScopedMainScheduler> m_mainGuard;
    std::shared_ptr<FakeThumbnailGenerator> m_generator = std::make_shared<FakeThumbnailGenerator>();
    std::optional<QRgb> m_pictureColor;
    QStringList m_picturePaths;
    int m_maxItems = TrayStore::defaultMaxItems;
    QString m_testRoot;
    QString m_sources;
};

} // namespace vesk::test
