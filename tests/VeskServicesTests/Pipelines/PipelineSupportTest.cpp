#include "PipelineTestSupport.h"

#include "VeskServices/Pipelines/ImagePipelines.h"
#include "VeskServices/Pipelines/PipelineRegistry.h"
#include "VeskServices/Pipelines/PipelineSupport.h"
#include "VeskServices/Pipelines/StagedOutput.h"

#include "support/Files.h"

#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace vesk;
using namespace vesk::test;

namespace {

QList<QUrl> named(const QStringList& names) {
    QList<QUrl> urls;
    for (const QString& name : names)
        urls.append(QUrl::fromLocalFile(QStringLiteral("/tmp/in/") + name));
    return urls;
}

QList<PipelineID> ids(const QList<PipelinePtr>& pipelines) {
    QList<PipelineID> result;
    for (const PipelinePtr& pipeline : pipelines)
        result.append(pipeline->id());
    return result;
}

} // namespace

TEST(PipelineSupport, ImagesAreKnownByTheirExtensionsOwnType) {
    const struct {
        const char* name;
        bool image;
    } rows[] = {
        {"PHOTO.JPG", true},  {"scan.tif", true}, {"a.heic", true},   {"a.HEIF", true},  {"a.webp", true},
        {"a.gif", true},      {"a.bmp", true},    {"a.png", true},    {"notes", false},  {"icon.svg", false},
        {"paper.pdf", false}, {"raw.NEF", false}, {"raw.cr2", false}, {"a.avif", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(pipeline_support::isImage(QUrl::fromLocalFile(QString::fromLatin1(row.name))), row.image)
            << row.name;
}

TEST(PipelineSupport, LanesFollowTheRegistryOrTheEnabledList) {
    const PipelineRegistry registry;
    const QList<QUrl> jpegs = named({"a.jpg", "b.JPG", "c.jpeg"});
    using enum PipelineID;
    const struct {
        QList<QUrl> urls;
        QList<PipelineID> enabled;
        QList<PipelineID> lanes;
    } rows[] = {
        {{}, {}, {}},
        {jpegs, {}, {compressImage, convertFormat, imagesToPDF, stripEXIF, zip, rename, copyPaths}},
        {jpegs, {zip, compressImage}, {zip, compressImage}},
        {jpegs, {rename, rename}, {rename, rename}},
        {named({"a.jpg", "b.pdf"}), {}, {zip, rename, copyPaths}},
        {named({"b.pdf"}), {compressImage, zip}, {zip}},
        {named({"Archive.ZIP"}), {}, {zip, unzip, rename, copyPaths}},
        {named({"a.zip", "b.txt"}), {unzip}, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ids(registry.lanes(row.urls, row.enabled)), row.lanes) << row.urls.size();
    EXPECT_EQ(registry.all().first()->title(), QStringLiteral("Compress"));
    EXPECT_EQ(registry.all()[1]->title(), QStringLiteral("To PNG"));
}

TEST(PipelineSupport, ReporterClampsTheFraction) {
    QList<std::pair<double, QString>> seen;
    const ProgressReporter reporter{[&](double f, const QString& d) { seen.append({f, d}); }};
    reporter(1.7, QStringLiteral("a"));
    reporter(-0.2, QStringLiteral("b"));
    reporter(std::nan(""), QStringLiteral("c"));
    EXPECT_EQ(seen, (QList<std::pair<double, QString>>{{1.0, "a"}, {0.0, "b"}, {0.0, "c"}}));
}

TEST_F(PipelineTest, UniqueNamesCountUpAndStagedOutputsNeverTakeATakenName) {
    QFile(output("a.pdf")).open(QIODevice::WriteOnly);
    QFile(output("a-1.pdf")).open(QIODevice::WriteOnly);
    EXPECT_EQ(pipeline_support::uniqueURL(outputFolder(), "a", "pdf").fileName(), QStringLiteral("a-2.pdf"));
    EXPECT_EQ(pipeline_support::uniqueURL(outputFolder(), "", "pdf").fileName(), QStringLiteral("file.pdf"));
    QFile(output("shot-1.png")).open(QIODevice::WriteOnly);
    EXPECT_EQ(pipeline_support::uniqueURL(outputFolder(), "shot-1", "png").fileName(),
              QStringLiteral("shot-1-1.png"));
    // A name too long once its extension or count is added is cut in its middle, not refused.
    for (const QString end : {".pdf", "-1.pdf"}) {
        StagedOutput staged(outputFolder(), QString(253, QLatin1Char('l')) + "-clean", QStringLiteral("pdf"));
        EXPECT_EQ(staged.publish().fileName(), QString(249 - end.size(), QLatin1Char('l')) + "-clean" + end);
    }

    // Runs publishing one name at once each keep their own file.
    constexpr int runs = 8;
    std::vector<std::thread> threads;
    QStringList published[runs];
    for (int i = 0; i < runs; ++i)
        threads.emplace_back([&, i] {
            StagedOutput staged(outputFolder(), QStringLiteral("photo"), QStringLiteral("jpg"));
            QFile file(staged.path());
            if (file.open(QIODevice::WriteOnly)) file.write(QByteArray::number(i));
            file.close();
            published[i] << staged.publish().toLocalFile();
        });
    for (auto& thread : threads)
        thread.join();
    QSet<QString> names;
    for (int i = 0; i < runs; ++i) {
        ASSERT_EQ(published[i].size(), 1);
        names.insert(published[i].first());
        EXPECT_EQ(readAll(published[i].first()), QByteArray::number(i)) << "no run replaced another's file";
    }
    EXPECT_EQ(names.size(), runs);

    // Unpublished, a staged output leaves nothing; removal stays inside the folder.
    { StagedOutput dropped(outputFolder(), QStringLiteral("gone"), QStringLiteral("jpg")); }
    EXPECT_FALSE(outputEntries().join(' ').contains(QStringLiteral(".vesk")));
    QFile(input("x")).open(QIODevice::WriteOnly);
    EXPECT_FALSE(removeOutput(outputFolder(), input("x")));
    ASSERT_TRUE(QFile::link(input("x"), output("link")));
    EXPECT_TRUE(removeOutput(outputFolder(), output("link")));
    EXPECT_TRUE(QFileInfo::exists(input("x"))) << "a link is removed, not what it points to";
}

namespace {

// `name` in `folder` holding `levels` nested folders of 60-character names (deeper than
// any path can name), a file at the bottom and a link to `outside` there.
void makeDeepTree(const QString& folder, const QString& name, int levels, const QString& outside) {
    int fd = ::open(QFile::encodeName(folder).constData(), O_DIRECTORY | O_RDONLY);
    ASSERT_GE(fd, 0);
    const QByteArray part(60, 'd');
    for (int i = 0; i <= levels; ++i) {
        const QByteArray step = i == 0 ? QFile::encodeName(name) : part;
        ASSERT_EQ(::mkdirat(fd, step.constData(), 0700), 0);
        const int next = ::openat(fd, step.constData(), O_DIRECTORY | O_RDONLY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    const int file = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0600);
    ::close(file);
    ASSERT_EQ(::symlinkat(QFile::encodeName(outside).constData(), fd, "out"), 0);
    ::close(fd);
}

} // namespace

TEST_F(PipelineTest, RemovalReachesAnyDepthAndTheStartSweepTakesOnlyStaleTemporariesOfOurs) {
    vesk::test::writeFile(input("keep/x"), "x");
    const int deep = 4096 / 61 + 10;
    makeDeepTree(outputFolder(), ".vesk-output-stale1", deep, input("keep"));
    makeDeepTree(outputFolder(), "deep.unzipped", deep, input("keep"));
    for (const char* name : {".vesk-output-locked", ".vesk-output-foreign", "other"})
        ASSERT_TRUE(QDir(outputFolder()).mkdir(QLatin1String(name)));
    ASSERT_EQ(::chown(QFile::encodeName(output(".vesk-output-foreign")).constData(), 65534, 65534), 0);
    // Another live program's run holds its temporary's lock.
    QProcess holder;
    holder.start(QStringLiteral("flock"),
                 {output(".vesk-output-locked"), "-c", "echo locked; exec sleep 60"});
    ASSERT_TRUE(holder.waitForReadyRead(20000));
    // And a run of this one.
    StagedOutput live(outputFolder(), QStringLiteral("live"), QStringLiteral("unzipped"),
                      StagedOutput::Kind::folder);

    removeStaleOutputs(outputFolder());
    const QStringList left = outputEntries();
    EXPECT_FALSE(left.contains(".vesk-output-stale1"));
    for (const char* name : {".vesk-output-locked", ".vesk-output-foreign", "other", "deep.unzipped"})
        EXPECT_TRUE(left.contains(QLatin1String(name))) << name;
    EXPECT_TRUE(QFileInfo::exists(live.path()));
    holder.kill();
    holder.waitForFinished();

    EXPECT_TRUE(removeOutput(outputFolder(), output("deep.unzipped")));
    EXPECT_FALSE(QFileInfo::exists(output("deep.unzipped")));
    EXPECT_EQ(readAll(input("keep/x")), QByteArray("x")) << "links inside are removed, not followed";
}
