#pragma once

#include "VeskServices/Clipboard/ClipboardService.h"

#include "support/ManualScheduler.h"
#include "support/Pasteboard/FakeClipboard.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace vesk::test {

// A clipboard history over the fake clipboard, with its queue and clock on virtual time
// and its folder emptied first.
class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(container()).removeRecursively();
        QDir().mkpath(container());
    }

    static QString container() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/Vesk");
    }
    static QString media() { return container() + QStringLiteral("/Clipboard"); }
    static QString store() { return container() + QStringLiteral("/clipboard.json"); }

    std::unique_ptr<ClipboardService> open() {
        ClipboardServiceOptions options;
        options.reader = &clipboard;
        options.frontmostApplication = [] {
            return std::make_optional(QStringLiteral("org.example.Editor"));
        };
        options.clock = &scheduler.clock();
        options.queueScheduler = &scheduler;
        auto service = std::make_unique<ClipboardService>(clipboard, QStringLiteral("Vesk"), options);
        scheduler.runPending();
        return service;
    }

    // Another program copies; the history polls and its read finishes.
    void copy(ClipboardService& service, const FakeClipboard::Contents& contents) {
        clipboard.copy(contents);
        service.poll();
        scheduler.runPending();
    }

    static QStringList images() { return QDir(media()).entryList({QStringLiteral("*.png")}, QDir::Files); }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
        file.write(bytes);
    }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    FakeClipboard clipboard;
};

} // namespace vesk::test
