#include "PipelineTestSupport.h"
#include "support/Files.h"

#include "VeskPlatform/Pasteboard/Pasteboard.h"
#include "VeskServices/Pipelines/FilePipelines.h"
#include "VeskServices/Pipelines/ImagePipelines.h"
#include "VeskServices/Pipelines/PipelineResult.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>
#include <QRandomGenerator>

#include <archive.h>
#include <archive_entry.h>
#include <optional>
#include <sys/stat.h>

using namespace vesk;
using namespace vesk::test;

namespace {

class MemoryPasteboard final : public Pasteboard {
public:
    qint64 changeCount() const override { return m_count; }
    const QMimeData* contents() const override { return m_data.get(); }
    qint64 setContents(QMimeData* data) override {
        m_data.reset(data);
        return ++m_count;
    }

private:
    std::unique_ptr<QMimeData> m_data;
    qint64 m_count = 0;
};

QString command(const QString& program, const QStringList& arguments, int* status = nullptr) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    if (status) *status = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// One entry of a hand-made archive: a file (data), folder or link (target).
struct Entry {
    QByteArray path;
    mode_t type = AE_IFREG;
    QByteArray data;
    QByteArray target;
};

Entry file(const char* path, QByteArray data = "1") {
    return Entry{path, AE_IFREG, std::move(data), {}};
}
Entry folder(const char* path) {
    return Entry{path, AE_IFDIR, {}, {}};
}
Entry symlinkTo(const char* path, const char* target) {
    return Entry{path, AE_IFLNK, {}, target};
}

// A path of `count` components, each `part`, ending in a file name.
QByteArray deepPath(int count, const QByteArray& part) {
    QByteArray path;
    for (int i = 0; i < count; ++i)
        path += part + '/';
    return path + "x";
}

// Every link below `folder` leads to something inside it.
void expectLinksStayInside(const QString& folder) {
    const QString root = QFileInfo(folder).canonicalFilePath();
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (!entry.isSymLink()) continue;
        const QString resolved = entry.canonicalFilePath();
        EXPECT_TRUE(resolved == root || resolved.startsWith(root + '/'))
            << entry.filePath().toStdString() << " leads to " << resolved.toStdString();
    }
}

void writeArchive(const QString& path, const QList<Entry>& entries, bool tar = false) {
    archive* a = archive_write_new();
    tar ? archive_write_set_format_pax_restricted(a) : archive_write_set_format_zip(a);
    ASSERT_EQ(archive_write_open_filename(a, QFile::encodeName(path).constData()), ARCHIVE_OK);
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.path.constData());
        archive_entry_set_filetype(entry, e.type);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, e.data.size());
        if (e.type == AE_IFLNK) archive_entry_set_symlink(entry, e.target.constData());
        archive_write_header(a, entry);
        if (!e.data.isEmpty()) archive_write_data(a, e.data.constData(), size_t(e.data.size()));
        archive_entry_free(entry);
    }
    archive_write_free(a);
}

// Links whose bodies ask for a resolution step per "x/.." and then some.
QList<Entry> costlyLinks(int count) {
    QList<Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.append(
            Entry{"l" + QByteArray::number(i), AE_IFLNK, {}, QByteArray("x/../").repeated(100) + "x"});
    entries.append(file("ok"));
    return entries;
}

} // namespace

TEST_F(PipelineTest, ZipArchivesEachInputUnderItsNameAndUnzipGivesTheTreeBack) {
    vesk::test::writeFile(input("report.pdf"), "%PDF-1.4 report");
    const QString notes = input("Notes.2024");
    vesk::test::writeFile(notes + "/.hidden", "secret");
    vesk::test::writeFile(notes + QStringLiteral("/Ünïcode.txt"), "u");
    vesk::test::writeFile(notes + "/text.txt", QByteArray(20000, 'a'));
    vesk::test::writeFile(notes + "/photo.jpg", QByteArray(20000, 'b'));
    ASSERT_TRUE(QFile::link(QStringLiteral("text.txt"), notes + "/link"));
    ::chmod(QFile::encodeName(notes + "/text.txt").constData(), 0640);
    const QDateTime old = QDateTime::fromSecsSinceEpoch(1600000000);
    QFile stamped(notes + "/text.txt");
    ASSERT_TRUE(stamped.open(QIODevice::ReadWrite));
    stamped.setFileTime(old, QFileDevice::FileModificationTime);
    stamped.close();

    const ZipPipeline zip;
    const PipelineOutcome single = run(zip, {input("report.pdf")});
    ASSERT_FALSE(single.failure) << message(*single.failure).toStdString();
    ASSERT_EQ(single.produced.size(), 1);
    EXPECT_EQ(single.produced.first().fileName(), QStringLiteral("report.zip"));
    EXPECT_EQ(progress(), (QList<std::pair<double, QString>>{{0.1, "Compressing"}, {1, "Done"}}));
    const PipelineOutcome folder = run(zip, {notes});
    ASSERT_FALSE(folder.failure) << message(*folder.failure).toStdString();
    const QString archive = folder.produced.first().toLocalFile();
    EXPECT_EQ(folder.produced.first().fileName(), QStringLiteral("Notes.zip"));
    EXPECT_EQ(run(zip, {input("report.pdf"), notes}).produced.first().fileName(),
              QStringLiteral("Archive.zip"));
    EXPECT_EQ(run(zip, {input("report.pdf"), notes}).produced.first().fileName(),
              QStringLiteral("Archive-1.zip"));

    int status = -1;
    command(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive}, &status);
    EXPECT_EQ(status, 0) << "unzip finds the archive sound";
    const QString listing = command(QStringLiteral("unzip"), {QStringLiteral("-v"), archive});
    for (const char* line : {"Notes.2024/.hidden", "Notes.2024/link", "Notes.2024/text.txt"})
        EXPECT_TRUE(listing.contains(QLatin1String(line))) << line;
    const auto method = [&](const QString& name) {
        for (const QString& line : listing.split('\n'))
            if (line.endsWith(name)) return line.simplified().section(' ', 1, 1);
        return QString();
    };
    EXPECT_EQ(method("photo.jpg"), QStringLiteral("Stored"));
    EXPECT_TRUE(method("text.txt").startsWith(QStringLiteral("Defl"))) << method("text.txt").toStdString();

    const PipelineOutcome unzipped = run(UnzipPipeline(), {archive});
    ASSERT_FALSE(unzipped.failure) << message(*unzipped.failure).toStdString();
    EXPECT_EQ(unzipped.produced.first().fileName(), QStringLiteral("Notes.unzipped"));
    const QString back = unzipped.produced.first().toLocalFile() + QStringLiteral("/Notes.2024");
    EXPECT_EQ(readAll(back + "/.hidden"), QByteArray("secret"));
    EXPECT_EQ(readAll(back + QStringLiteral("/Ünïcode.txt")), QByteArray("u")) << "UTF-8 names";
    EXPECT_EQ(QFileInfo(back + "/link").symLinkTarget(), QFileInfo(back + "/text.txt").absoluteFilePath());
    EXPECT_EQ(QFileInfo(back + "/text.txt").lastModified(), old);
    EXPECT_EQ(QFileInfo(back + "/text.txt").permissions() & QFileDevice::ReadGroup, QFileDevice::ReadGroup);
    EXPECT_FALSE(QFileInfo(back + "/text.txt").permissions() & QFileDevice::ReadOther);
}

TEST_F(PipelineTest, HostileArchivesFailLeavingNoFolderOrLoseTheirRefusedEntries) {
    const zip_archive::Limits small{.maxEntries = 3, .maxBytes = 100};
    const zip_archive::Limits big{.maxEntries = 1000, .maxBytes = 1 << 20};
    const struct {
        const char* name;
        QList<Entry> entries;
        bool fails;
        const char* kept; // an entry that must be there when it does not fail
        bool tar = false;
        QStringList absent = {};
        std::optional<zip_archive::Limits> limits = {};
    } rows[] = {
        {"dotdot", {file("../x")}, true, nullptr},
        {"absolute", {file("/abs")}, true, nullptr},
        {"link-out", {symlinkTo("etc", "/etc"), symlinkTo("up", "../.."), file("ok")}, false, "ok"},
        {"through-link", {folder("sub/"), symlinkTo("l", "sub"), file("l/x")}, true, nullptr},
        {"entries", {file("a"), file("b"), file("c"), file("d")}, true, nullptr},
        {"bytes", {file("a", QByteArray(60, 'a')), file("b", QByteArray(41, 'b'))}, true, nullptr},
        {"within", {file("a", QByteArray(60, 'a')), file("b", QByteArray(40, 'b'))}, false, "b"},
        {"tar", {file("a")}, true, nullptr, true},
        {"macos", {file("__MACOSX/a"), file("._a"), file("a")}, false, "a"},
        // Links judged by where they lead on disk, not by their words.
        {"chained",
         {symlinkTo("d", "."), symlinkTo("l", "d/d/d/d/d/d/d/d/../../../../../../../.."), file("ok")},
         false,
         "ok",
         false,
         {"l"}},
        {"via-link",
         {folder("sub/"), symlinkTo("a", "sub/.."), symlinkTo("b", "a/.."), file("ok")},
         false,
         "a",
         false,
         {"b"},
         big},
        {"later-link",
         {symlinkTo("l", "m"), symlinkTo("m", "../outside"), file("ok")},
         false,
         "ok",
         false,
         {"l", "m"}},
        {"later-turn",
         {symlinkTo("l", "a/b/../.."), symlinkTo("a", "."), symlinkTo("b", ".")},
         false,
         "a",
         false,
         {"l"}},
        // Paths nothing else could handle, and folders made along them counted.
        {"deep", {Entry{deepPath(2000, "a"), AE_IFREG, "1", {}}}, true, nullptr, false, {}, big},
        {"path-max",
         {Entry{deepPath(40, QByteArray(120, 'p')), AE_IFREG, "1", {}}},
         true,
         nullptr,
         false,
         {},
         big},
        {"folders",
         {file("a/b/c/d/1"), file("e/f/g/h/2"), file("i/j/k/l/3")},
         true,
         nullptr,
         false,
         {},
         zip_archive::Limits{.maxEntries = 10, .maxBytes = big.maxBytes}},
        {"folder-bytes",
         {file("a/b/c/1")},
         true,
         nullptr,
         false,
         {},
         zip_archive::Limits{.maxEntries = 10, .maxBytes = 3 * 4096}},
        // Each link costs 201 steps, counted over the whole archive.
        {"link-steps",
         costlyLinks(5),
         true,
         nullptr,
         false,
         {},
         zip_archive::Limits{.maxEntries = 10, .maxBytes = big.maxBytes, .maxLinkSteps = 900}},
        {"link-steps-within",
         costlyLinks(4),
         false,
         "ok",
         false,
         {},
         zip_archive::Limits{.maxEntries = 10, .maxBytes = big.maxBytes, .maxLinkSteps = 900}},
    };
    const QStringList around =
        QDir(outputFolder() + "/..").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString archive = input(QString::fromLatin1(row.name) + ".zip");
        writeArchive(archive, row.entries, row.tar);
        const PipelineOutcome outcome = run(UnzipPipeline(row.limits.value_or(small)), {archive});
        EXPECT_EQ(bool(outcome.failure), row.fails);
        if (row.fails) {
            EXPECT_EQ(message(*outcome.failure), QStringLiteral("Couldn't read ") + row.name + ".zip");
            EXPECT_TRUE(outputEntries().isEmpty()) << outputEntries().join(' ').toStdString();
        } else {
            const QString folder = outcome.produced.first().toLocalFile();
            EXPECT_TRUE(QFileInfo::exists(folder + '/' + row.kept));
            const QStringList all =
                QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            EXPECT_FALSE(all.contains("etc") || all.contains("up") || all.contains("__MACOSX") ||
                         all.contains("._a"));
            for (const QString& name : row.absent)
                EXPECT_FALSE(all.contains(name)) << name.toStdString();
            expectLinksStayInside(folder);
            QDir(folder).removeRecursively();
        }
        EXPECT_FALSE(outputEntries().join(' ').contains(QStringLiteral(".vesk-output-")));
    }
    EXPECT_EQ(QDir(outputFolder() + "/..").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), around)
        << "nothing appeared outside the output folder";

    // Mode bits a writer would not set: a character device.
    const QString device = input("device.zip");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {"-c",
                  "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1],'w')\ni=zipfile.ZipInfo('dev')\n"
                  "i.external_attr=(0o020644<<16)\nz.writestr(i,b'')\nz.close()",
                  device});
    ASSERT_TRUE(python.waitForFinished(60000));
    EXPECT_TRUE(run(UnzipPipeline(small), {device}).failure);
    EXPECT_TRUE(outputEntries().isEmpty());
}

TEST_F(PipelineTest, ZipAndRenameRefuseAnAncestorOfTheOutputFolder) {
    for (const DropPipeline* pipeline :
         std::initializer_list<const DropPipeline*>{new ZipPipeline, new RenamePipeline}) {
        std::unique_ptr<const DropPipeline> owned(pipeline);
        const PipelineOutcome outcome = run(*pipeline, {outputFolder() + "/.."});
        ASSERT_TRUE(outcome.failure);
        EXPECT_EQ(message(*outcome.failure), QStringLiteral("Those files aren't supported here"));
        EXPECT_TRUE(outputEntries().isEmpty());
    }
}

TEST_F(PipelineTest, RenameCopiesUnderPatternNamesThatStayInsideTheFolder) {
    vesk::test::writeFile(input("x.jpg"), "x");
    vesk::test::writeFile(input("y.png"), "y");
    vesk::test::writeFile(input("a{n}.txt"), "a");
    vesk::test::writeFile(input("photo.jpg"), "p");
    vesk::test::writeFile(input("Shots/one.txt"), "1");
    vesk::test::writeFile(input(".../inner"), "i");
    const Date march5 = Date::fromDateTime(QDateTime(QDate(2026, 3, 5), QTime(12, 0)));
    const struct {
        QString pattern;
        QStringList inputs;
        QStringList names;
    } rows[] = {
        {"{name}-{n}", {"x.jpg", "y.png"}, {"x-1.jpg", "y-2.png"}},
        {"{date}_{n}.{ext}", {"photo.jpg"}, {"2026-03-05_1.jpg.jpg"}},
        {"{name}-{n}", {"a{n}.txt"}, {"a1-1.txt"}},
        {"", {"x.jpg", "x.jpg"}, {"file.jpg", "file-1.jpg"}},
        {"../{name}", {"x.jpg"}, {"..-x.jpg"}},
        {"{name}", {"..."}, {"file"}},
        {"{name}-{n}", {"Shots"}, {"Shots-1"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pattern.toStdString());
        QStringList paths;
        for (const QString& name : row.inputs)
            paths.append(input(name));
        const PipelineOutcome outcome = run(RenamePipeline(row.pattern, [&] { return march5; }), paths);
        ASSERT_FALSE(outcome.failure) << message(*outcome.failure).toStdString();
        QStringList names;
        for (const QUrl& url : outcome.produced) {
            names.append(url.fileName());
            EXPECT_EQ(QFileInfo(url.toLocalFile()).path(), outputFolder());
            const QString path = url.toLocalFile();
            EXPECT_TRUE(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
        }
        EXPECT_EQ(names, row.names);
    }
    EXPECT_TRUE(QFileInfo::exists(input("x.jpg"))) << "inputs stay";
}

TEST_F(PipelineTest, FailuresForSpaceNameTheUsersFiles) {
    // Files the worker writes stop at 4 KiB, as on a full disk.
    vesk::test::writeFile(input("big.bin"), QByteArray(64 * 1024, 'b'));
    // Pictures of noise: some 7 KiB as PNG, within the writer's buffer, and more as HEIC.
    for (const int side : {48, 96}) {
        QImage noise(side, side, QImage::Format_RGB32);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                noise.setPixel(x, y, QRandomGenerator::global()->generate());
        ASSERT_TRUE(noise.save(input(side == 48 ? "noise.bmp" : "noisy.bmp")));
    }
    std::optional<ScopedFileSizeLimit> full(4096);
    const PipelineOutcome renamed = run(RenamePipeline(), {input("big.bin")});
    // Cut where the writers flush last.
    const PipelineOutcome converted = run(ConvertFormatPipeline(), {input("noise.bmp")});
    const PipelineOutcome heic =
        run(ConvertFormatPipeline(QStringLiteral("public.heic")), {input("noisy.bmp")});
    full.reset();
    ASSERT_TRUE(renamed.failure);
    EXPECT_EQ(message(*renamed.failure), QStringLiteral("big-1.bin: File too large"));
    ASSERT_TRUE(converted.failure);
    EXPECT_EQ(message(*converted.failure), QStringLiteral("Couldn't write noise.png"));
    ASSERT_TRUE(heic.failure);
    EXPECT_EQ(message(*heic.failure), QStringLiteral("Couldn't write noisy.heic"));

    const QString archive = input("arch.zip");
    writeArchive(archive, {file("a", QByteArray(60, 'a')), file("b", QByteArray(40, 'b'))});
    const PipelineOutcome refused = run(UnzipPipeline(zip_archive::Limits{.maxFreeBytes = 99}), {archive});
    ASSERT_TRUE(refused.failure);
    EXPECT_EQ(message(*refused.failure), QStringLiteral("Not enough free space to unzip arch.zip"));
    EXPECT_TRUE(outputEntries().isEmpty()) << outputEntries().join(' ').toStdString();
    EXPECT_FALSE(run(UnzipPipeline(zip_archive::Limits{.maxFreeBytes = 100}), {archive}).failure);
}

TEST_F(PipelineTest, CopyPathPutsEachPathOnALine) {
    MemoryPasteboard pasteboard;
    const CopyPathsPipeline copy(&pasteboard);
    const PipelineOutcome outcome = run(copy, {input("a.txt"), input("My Folder")});
    EXPECT_TRUE(outcome.produced.isEmpty());
    EXPECT_EQ(pasteboard.string(), input("a.txt") + '\n' + input("My Folder"));
    EXPECT_EQ(progress(), (QList<std::pair<double, QString>>{{1, "Copied"}}));
    PipelineResult result;
    result.title = copy.title();
    EXPECT_EQ(result.summary(), QStringLiteral("Copy path"));
}
