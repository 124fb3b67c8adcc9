#pragma once

#include "VeskServices/Clipboard/ClipboardService.h"

#include "support/ManualScheduler.h"
#include "support/Pasteboard/FakeClipboard.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace vesk::test {

// A clipboard history over the fake clipboard, its queue and clock on virtual time.
class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(container()).removeRecursively(); }

    static QString container() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/Vesk");
    }
    static QString media() { return container() + QStringLiteral("/Clipboard"); }
    static QString store() { return container() + QStringLiteral("/clipboard.json"); }
    static QStringList images() { return QDir(media()).entryList({QStringLiteral("*.png")}, QDir::Files); }
    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
        file.write(bytes);
    }

    // Over `board`, another display's clipboard, when given.
    std::unique_ptr<ClipboardService> open(bool load = true, FakeClipboard* board = nullptr) {
        FakeClipboard& over = board ? *board : clipboard;
        auto service = std::make_unique<ClipboardService>(
            over, QStringLiteral("Vesk"),
            ClipboardServiceOptions{
                .reader = &over,
                .frontmostApplication = [] { return std::make_optional(QStringLiteral("editor")); },
                .clock = &scheduler.clock(),
                .queueScheduler = &scheduler});
        if (load) scheduler.runPending();
        return service;
    }
    // Another program copies; the history polls and its read ends.
    void copy(ClipboardService& service, const FakeClipboard::Contents& contents,
              FakeClipboard* board = nullptr) {
        (board ? *board : clipboard).copy(contents);
        service.poll();
        scheduler.runPending();
    }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    FakeClipboard clipboard;
};

} // namespace vesk::test
