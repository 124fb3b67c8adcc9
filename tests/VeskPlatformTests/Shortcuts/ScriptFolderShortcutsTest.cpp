#include "VeskPlatform/Shortcuts/ScriptFolderShortcuts.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <mutex>

using namespace vesk;
using namespace vesk::test;

namespace {

class ScriptFolderShortcutsTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString folder = root.path() + QStringLiteral("/Shortcuts");
    std::mutex mutex;
    QStringList traces;

    std::unique_ptr<ScriptFolderShortcuts> make(double timeout = 120, double killDelay = 5) {
        ScriptFolderShortcuts::Options options;
        options.folder = folder;
        options.timeout = timeout;
        options.killDelay = killDelay;
        options.trace = [this](const QString& line) {
            std::lock_guard lock(mutex);
            traces << line;
        };
        return std::make_unique<ScriptFolderShortcuts>(std::move(options));
    }

    void script(const QString& name, const QByteArray& body, bool executable = true) {
        QDir().mkpath(folder);
        QFile file(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable) permissions |= QFile::ExeOwner;
        file.setPermissions(permissions);
    }
    // A script that stores its standard input in `out` once it has read all of it.
    void echoScript(const QString& name, const QString& out) {
        script(name, "#!/bin/sh\ndata=$(cat)\nprintf %s \"$data\" > '" + out.toUtf8() + ".tmp'\nmv '" +
                         out.toUtf8() + ".tmp' '" + out.toUtf8() + "'\n");
    }
    QString tracedWith(const QString& text) {
        std::lock_guard lock(mutex);
        for (const QString& line : std::as_const(traces))
            if (line.contains(text)) return line;
        return {};
    }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(ScriptFolderShortcutsTest, ListsTheExecutableFilesByNameWithoutTheirExtension) {
    auto shortcuts = make();
    EXPECT_FALSE(shortcuts->canList());
    const auto list = [&] {
        QObject context;
        std::optional<QStringList> names;
        shortcuts->list(&context, [&](QStringList listed) { names = listed; });
        EXPECT_TRUE(processEventsUntil([&] { return names.has_value(); }, 30000)) << "the listing never came";
        QStringList sorted = names.value_or(QStringList());
        sorted.sort();
        return sorted;
    };
    EXPECT_EQ(list(), QStringList());

    for (const char* name :
         {"Start Timer.sh", "Note", "Dup.sh", "Dup.py", "a.b.sh", ".hidden.sh", "backup.sh~", "  .sh"})
        script(QString::fromUtf8(name), "#!/bin/sh\n");
    script(QStringLiteral("plain.txt"), "text", false);
    QDir(folder).mkdir(QStringLiteral("Folder.sh"));
    QFile::link(folder + QStringLiteral("/Note"), folder + QStringLiteral("/Linked.sh"));
    QFile::link(folder + QStringLiteral("/nowhere"), folder + QStringLiteral("/Broken.sh"));

    EXPECT_TRUE(shortcuts->canList());
    EXPECT_EQ(list(),
              (QStringList{QStringLiteral("Dup"), QStringLiteral("Dup"), QStringLiteral("Linked"),
                           QStringLiteral("Note"), QStringLiteral("Start Timer"), QStringLiteral("a.b")}));
}

TEST_F(ScriptFolderShortcutsTest, HandsTextInputOnStandardInputAndEndsInputAtOnceWithoutIt) {
    auto shortcuts = make();
    const QString withText = root.path() + QStringLiteral("/with-text");
    const QString without = root.path() + QStringLiteral("/without");
    echoScript(QStringLiteral("Note.sh"), withText);
    echoScript(QStringLiteral("Quiet.sh"), without);

    shortcuts->run(QStringLiteral("Note"), QStringLiteral("grüße, \"$(x)\""));
    shortcuts->run(QStringLiteral("Quiet"), QString());
    ASSERT_TRUE(processEventsUntil([&] { return QFile::exists(withText) && QFile::exists(without); }, 30000))
        << "the scripts never finished reading their input";
    EXPECT_EQ(QString::fromUtf8(contents(withText)), QStringLiteral("grüße, \"$(x)\""));
    EXPECT_EQ(contents(without), QByteArray());
}

TEST_F(ScriptFolderShortcutsTest, ANameOnlyEverSelectsAFileOfTheFolder) {
    auto shortcuts = make();
    const QString ran = root.path() + QStringLiteral("/ran");
    script(QStringLiteral("$(touch pwned).sh"), "#!/bin/sh\ntouch '" + ran.toUtf8() + "'\n");
    script(QStringLiteral("../Outside.sh"), "#!/bin/sh\ntouch '" + ran.toUtf8() + "-outside'\n");

    shortcuts->run(QStringLiteral("../Outside"), std::nullopt);
    shortcuts->run(QStringLiteral("Shortcuts/../../Outside"), std::nullopt);
    shortcuts->run(QStringLiteral("$(touch pwned)"), std::nullopt);
    ASSERT_TRUE(processEventsUntil([&] { return QFile::exists(ran); }, 30000))
        << "the oddly named script never ran";
    EXPECT_FALSE(QFile::exists(ran + QStringLiteral("-outside")));
    EXPECT_FALSE(QFile::exists(QDir::home().filePath(QStringLiteral("pwned"))));
    EXPECT_FALSE(tracedWith(QStringLiteral("\"../Outside\" not found")).isEmpty());
}

TEST_F(ScriptFolderShortcutsTest, TracesEachWayARunFails) {
    auto shortcuts = make();
    script(QStringLiteral("Fail.sh"), "#!/bin/sh\nexit 3\n");
    script(QStringLiteral("Killed.sh"), "#!/bin/sh\nkill -9 $$\n");
    script(QStringLiteral("Bad.sh"), "#!/no/such/interpreter\n");
    script(QStringLiteral("Off.sh"), "#!/bin/sh\n", false);
    struct Row {
        const char* name;
        const char* trace;
    };
    for (const Row& row :
         {Row{"Fail", "\"Fail\" exited with status 3"}, Row{"Killed", "\"Killed\" was ended by a signal"},
          Row{"Bad", "\"Bad\" did not start"}, Row{"Off", "\"Off\" is not executable"},
          Row{"Missing", "\"Missing\" not found"}}) {
        shortcuts->run(QString::fromUtf8(row.name), std::nullopt);
        EXPECT_TRUE(
            processEventsUntil([&] { return !tracedWith(QLatin1String(row.trace)).isEmpty(); }, 30000))
            << "never traced: " << row.trace;
    }
}

TEST_F(ScriptFolderShortcutsTest, AScriptThatRunsTooLongIsEndedWithWhatItStarted) {
    auto shortcuts = make(0.5, 0.5);
    const QString childFile = root.path() + QStringLiteral("/child");
    // The child ignores SIGTERM, so only the SIGKILL that follows ends it.
    script(QStringLiteral("Slow.sh"),
           "#!/bin/sh\n(trap '' TERM; exec sleep 300) &\necho $! > '" + childFile.toUtf8() + "'\nwait\n");
    shortcuts->run(QStringLiteral("Slow"), std::nullopt);
    EXPECT_TRUE(tracedWith(QStringLiteral("timed out")).isEmpty()) << "run() waited for the script";

    ASSERT_TRUE(processEventsUntil(
        [&] { return !tracedWith(QStringLiteral("\"Slow\" timed out")).isEmpty(); }, 30000))
        << "the time-out was never traced";
    const QByteArray child = contents(childFile).trimmed();
    ASSERT_FALSE(child.isEmpty());
    const QString stat = QStringLiteral("/proc/") + QString::fromLatin1(child) + QStringLiteral("/stat");
    const auto ended = [&] {
        const QByteArray fields = contents(stat);
        return fields.isEmpty() || fields.mid(fields.lastIndexOf(')') + 2, 1) == "Z";
    };
    EXPECT_TRUE(processEventsUntil(ended, 30000)) << "the script's child outlived the time-out";
}
