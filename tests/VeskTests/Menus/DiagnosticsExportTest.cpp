#include "Vesk/Menus/DiagnosticsExport.h"
#include "Vesk/Menus/DiagnosticsRows.h"

#include "support/EventLoop.h"

#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace vesk {
namespace {

DiagnosticsReport sampleReport() {
    DiagnosticsReport::Facts facts;
    facts.version = QStringLiteral("1.0.0");
    facts.build = diagnostics::none();
    facts.osName = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    facts.model = QStringLiteral("ThinkPad X1");
    facts.profile = BuildProfile(true);
    facts.screens = {diagnostics::screen(1, QSizeF(1920, 1080), std::nullopt),
                     diagnostics::screen(4000000000u, QSizeF(1512.9, 982.2), QSizeF(185.5, 32))};
    return DiagnosticsReport::make(facts);
}

// Screens as the file shows them: sizes without their fractions.
const char* const sampleDisplays = R"(
Displays
────────
  Display 1           1920×1080, notch none (synthetic)
  Display 4000000000  1512×982, notch 185×32
)";

class DiagnosticsExportTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    ActivationHolds holds;
    QStringList revealed;
    QStringList failures;
    bool regularWhileChoosing = false;

    // Answers with `chosen` once the event loop runs, as the panel does.
    DiagnosticsExport exporter(const QString& chosen) {
        return DiagnosticsExport(
            holds,
            [this, chosen](QWidget*, std::function<void(const QString&)> answer) -> QWidget* {
                regularWhileChoosing = holds.isRegular();
                QMetaObject::invokeMethod(
                    qApp, [answer, chosen] { answer(chosen); }, Qt::QueuedConnection);
                return nullptr;
            },
            [this](const QString& path) { revealed.append(path); },
            [this](const QString& path, const QString& reason, QWidget*) {
                failures.append(path + ": " + reason);
            });
    }
    // Runs the export to its end; the path written, if any.
    std::optional<QString> run(const QString& chosen) {
        std::optional<std::optional<QString>> result;
        exporter(chosen).run(sampleReport(), nullptr,
                             [&](const std::optional<QString>& path) { result = path; });
        test::processEventsUntil([&] { return result.has_value(); });
        return result.value_or(std::nullopt);
    }
};

TEST_F(DiagnosticsExportTest, WritesTheReportAndShowsIt) {
    const QString path = folder.filePath(DiagnosticsExport::proposedName());
    // An earlier report is replaced whole, never rewritten where it lies: a second name
    // of the old file keeps the old text.
    const QString earlier = folder.filePath(QStringLiteral("earlier.txt"));
    {
        QFile old(earlier);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("earlier report");
    }
    ASSERT_EQ(::link(QFile::encodeName(earlier).constData(), QFile::encodeName(path).constData()), 0);
    EXPECT_EQ(run(path), path);
    QFile kept(earlier);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "earlier report");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_EQ(text, sampleReport().formatted());
    EXPECT_TRUE(text.contains(QString::fromUtf8(sampleDisplays))) << qPrintable(text);
    EXPECT_TRUE(
        text.contains(QStringLiteral("  Version  1.0.0 (—)\n  Build    Flatpak (sandboxed)\n"
                                     "  OS       Debian GNU/Linux 12 (bookworm)\n  Model    ThinkPad X1\n")));
    EXPECT_EQ(revealed, QStringList{path});
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_TRUE(regularWhileChoosing);
    EXPECT_FALSE(holds.isRegular());
}

// A cancelled panel writes nothing; a failed write is reported with its reason and
// nothing is shown as saved.
TEST_F(DiagnosticsExportTest, NothingIsShownUnlessWritten) {
    EXPECT_FALSE(run(QString()).has_value());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
    EXPECT_TRUE(failures.isEmpty());

    QFile blocker(folder.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = blocker.fileName() + QStringLiteral("/VeskNotch-diagnostics.txt");
    EXPECT_FALSE(run(path).has_value());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].startsWith(path + ": ") && failures[0].size() > path.size() + 2)
        << qPrintable(failures[0]);
    EXPECT_TRUE(revealed.isEmpty());
    EXPECT_FALSE(holds.isRegular());
}

TEST_F(DiagnosticsExportTest, TheSavePanelProposesTheReportsName) {
    for (const bool accept : {false, true}) {
        std::optional<QString> answered;
        auto* dialog = qobject_cast<QFileDialog*>(
            DiagnosticsExport::askForPath(nullptr, [&](const QString& path) { answered = path; }));
        ASSERT_NE(dialog, nullptr);
        // Shown without a loop of its own: the caller is back before the user answered.
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(answered.has_value());
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save VeskNotch Diagnostics"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        const QStringList proposed = dialog->selectedFiles();
        ASSERT_EQ(proposed.size(), 1);
        EXPECT_TRUE(proposed[0].endsWith(QStringLiteral("/VeskNotch-diagnostics.txt")))
            << qPrintable(proposed[0]);
        const QPointer<QFileDialog> panel(dialog);
        if (accept)
            QMetaObject::invokeMethod(dialog, "accept");
        else
            dialog->reject();
        EXPECT_EQ(answered, accept ? proposed[0] : QString());
        test::processEventsUntil([&] { return panel.isNull(); }, 2000);
        EXPECT_TRUE(panel.isNull()) << "the panel outlived its answer";
    }
}

} // namespace
} // namespace vesk
