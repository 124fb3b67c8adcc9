#include "PipelineTestSupport.h"
#include "support/Files.h"

#include "VeskPlatform/Files/FolderEntries.h"
#include "VeskServices/Pipelines/FilePipelines.h"
#include "VeskServices/Pipelines/ImagePipelines.h"
#include "VeskServices/Pipelines/OutputRemoval.h"
#include "VeskServices/Tray/TrayFiles.h"

#include <QMap>
#include <QProcess>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace vesk;
using namespace vesk::test;

namespace {

const QByteArray badName("bad\xff\xfename.txt");

void writeRaw(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

// Every entry below `folder` by the bytes of its relative path: a file's contents, or
// "folder".
void collect(const QByteArray& folder, const QByteArray& prefix, QMap<QByteArray, QByteArray>& tree) {
    const auto entries = files::folderEntries(folder);
    ASSERT_TRUE(entries) << folder.toStdString();
    for (const files::FolderEntry& entry : *entries) {
        const QByteArray path = folder + '/' + entry.name;
        if (entry.type == files::FolderEntry::Type::folder) {
            tree.insert(prefix + entry.name, "folder");
            collect(path, prefix + entry.name + '/', tree);
        } else {
            tree.insert(prefix + entry.name, readFile(QFile::decodeName(path)));
        }
    }
}
QMap<QByteArray, QByteArray> byteTree(const QString& folder) {
    QMap<QByteArray, QByteArray> tree;
    collect(QFile::encodeName(folder), {}, tree);
    return tree;
}

// The archive with every name marked UTF-8 (bit 11 of each header's flags).
QByteArray markedUtf8(QByteArray zip) {
    for (const auto& [signature, offset] :
         {std::pair{QByteArray("PK\x03\x04"), 7}, {QByteArray("PK\x01\x02"), 9}})
        for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 4))
            zip[at + offset] = char(zip[at + offset] | 0x08);
    return zip;
}

} // namespace

// Qt's listings skip names that are not UTF-8: every walk here must carry them, or fail.
TEST_F(PipelineTest, NamesThatAreNotUtf8AreCarriedWholeOrTheRunFails) {
    const QString tree = input("tree");
    const QByteArray nativeTree = QFile::encodeName(tree);
    ASSERT_EQ(::mkdir(nativeTree.constData(), 0755), 0);
    writeRaw(nativeTree + '/' + badName, "bad");
    writeRaw(nativeTree + "/good.txt", "good");
    ASSERT_EQ(::mkdir(QByteArray(nativeTree + "/sub\xfe").constData(), 0755), 0);
    writeRaw(nativeTree + "/sub\xfe/inner.txt", "inner");
    const QMap<QByteArray, QByteArray> expected = byteTree(tree);
    ASSERT_EQ(expected.size(), 4);

    // As zip writes them on Linux: the names' bytes, not marked UTF-8.
    const QString archive = input("foreign.zip");
    QProcess zip;
    zip.setWorkingDirectory(tree);
    zip.start(QStringLiteral("zip"), {"-q", "-r", archive, "."});
    ASSERT_TRUE(zip.waitForFinished(60000));
    ASSERT_EQ(zip.exitCode(), 0);
    // Marked UTF-8 though they are not: libarchive gives no name back.
    const QString marked = input("marked.zip");
    writeFile(marked, markedUtf8(readFile(archive)));

    int copies = 0;
    const auto copyToTray = [&](const QString& source) -> std::pair<QString, QString> {
        const QString trayCopy = m_root.path() + QStringLiteral("/tray-copy-%1").arg(++copies);
        const std::atomic<bool> never{false};
        QString error;
        if (!tray_files::copy(source, trayCopy, never, &error)) return {error, {}};
        return {{}, trayCopy};
    };
    const auto ran = [](const PipelineOutcome& outcome) -> std::pair<QString, QString> {
        if (outcome.failure) return {message(*outcome.failure), {}};
        return {{}, outcome.produced.value(0).toLocalFile()};
    };

    const struct {
        const char* name;
        std::function<std::pair<QString, QString>()> carry; // the failure, or the copy made
        QMap<QByteArray, QByteArray> carried;
        QString failure;
    } rows[] = {
        {"rename", [&] { return ran(run(RenamePipeline(), {tree})); }, expected, {}},
        {"tray copy", [&] { return copyToTray(tree); }, expected, {}},
        {"unzip", [&] { return ran(run(UnzipPipeline(), {archive})); }, expected, {}},
        {"tray copy of the unzipped folder",
         [&] { return copyToTray(ran(run(UnzipPipeline(), {archive})).second); },
         expected,
         {}},
        {"unzip of wrongly marked names",
         [&] { return ran(run(UnzipPipeline(), {marked})); },
         {},
         "Couldn't read marked.zip"},
        // ZIP names are flagged UTF-8: such a name cannot be written, and nothing is.
        {"zip",
         [&] { return ran(run(ZipPipeline(), {tree})); },
         {},
         QString::fromUtf16(u"A ZIP can't hold the name bad\uFFFD\uFFFDname.txt")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto [failure, copy] = row.carry();
        EXPECT_EQ(failure, row.failure);
        if (row.failure.isEmpty()) {
            EXPECT_EQ(byteTree(copy), row.carried);
        }
    }
    EXPECT_FALSE(outputEntries().join(' ').contains(QStringLiteral(".vesk-output-")));
    EXPECT_EQ(tray_files::measure(tree, 100).children, 3);
    EXPECT_EQ(tray_files::measure(tree, 100).size, qint64(3 + 4 + 5));
    // QTemporaryDir's own removal would leave these names behind.
    for (const QString& entry : QDir(m_root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        EXPECT_TRUE(removeOutput(m_root.path(), m_root.path() + '/' + entry));
}

TEST_F(PipelineTest, TheSweepTakesOnlyTemporariesAndNoOutputIsNamedLikeOne) {
    // A published output that begins like a temporary.
    writeFile(input(".vesk-output-notes.txt"), "notes");
    const PipelineOutcome zipped = run(ZipPipeline(), {input(".vesk-output-notes.txt")});
    ASSERT_FALSE(zipped.failure);
    EXPECT_EQ(zipped.produced.first().fileName(), QStringLiteral(".vesk-output-notes.zip"));
    // Exactly a temporary's name: the published copy takes the next one.
    writeFile(input(".vesk-output-Ab12Cd"), "x");
    const PipelineOutcome renamed =
        run(RenamePipeline(QStringLiteral("{name}")), {input(".vesk-output-Ab12Cd")});
    ASSERT_FALSE(renamed.failure);
    EXPECT_EQ(renamed.produced.first().fileName(), QStringLiteral(".vesk-output-Ab12Cd-1"));

    for (const char* name : {".vesk-output-Zz9Yy8", ".vesk-output-Ab12C", ".vesk-output-Ab12Cde"})
        writeFile(output(QString::fromLatin1(name)), "left");
    ASSERT_EQ(::mkdir(QFile::encodeName(output(".vesk-output-dir123")).constData(), 0700), 0);
    removeStaleOutputs(outputFolder());
    EXPECT_EQ(outputEntries(), (QStringList{".vesk-output-Ab12C", ".vesk-output-Ab12Cd-1",
                                            ".vesk-output-Ab12Cde", ".vesk-output-notes.zip"}));
    EXPECT_TRUE(isStagedOutputName(".vesk-output-Zz9Yy8"));
    EXPECT_FALSE(isStagedOutputName(".vesk-output-Zz9Y-8"));
}

// A cut-off JPEG decodes with grey where its data is missing: every image pipeline
// refuses it, while a JPEG whose faults leave the picture whole still goes through.
TEST_F(PipelineTest, ATruncatedJpegFailsEveryImagePipelineAndAWholeOneWithFaultsDoesNot) {
    writePhoto(input("photo.jpg"), QSize(400, 300), {.extras = true});
    const QByteArray whole = readFile(input("photo.jpg"));
    writeFile(input("cut.jpg"), whole.left(whole.size() / 2));
    // Only its end marker (and the trailer after it) missing: every scan is there.
    writeFile(input("unended.jpg"), whole.left(whole.lastIndexOf("\xFF\xD9")));

    const CompressImagePipeline compress;
    const ConvertFormatPipeline convert;
    const StripEXIFPipeline strip;
    const ImagesToPDFPipeline pdf;
    for (const DropPipeline* pipeline :
         std::initializer_list<const DropPipeline*>{&compress, &convert, &strip, &pdf}) {
        SCOPED_TRACE(pipeline->title().toStdString());
        const PipelineOutcome cut = run(*pipeline, {input("cut.jpg")});
        ASSERT_TRUE(cut.failure);
        EXPECT_EQ(message(*cut.failure), QStringLiteral("Couldn't read cut.jpg"));
        EXPECT_TRUE(outputEntries().isEmpty()) << outputEntries().join(' ').toStdString();
        const PipelineOutcome fine = run(*pipeline, {input("photo.jpg"), input("unended.jpg")});
        EXPECT_FALSE(fine.failure) << message(fine.failure.value_or(PipelineFailure{})).toStdString();
        for (const QUrl& produced : fine.produced)
            removeOutput(outputFolder(), produced.toLocalFile());
    }
}
