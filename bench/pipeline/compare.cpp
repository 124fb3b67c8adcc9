// vesk-bench-compare: times each drop pipeline (and the tray's add) beside the
// command-line tools a user would pick for the same job, on the same inputs, and prints
// the table (README, "Measure it"). bench/run starts it after the main table.
//
//   vesk-bench-compare --bin <folder of the bench programs> --scratch <folder> [--short]
//                      [--only <text>]...
//
// --only times just the rows whose title contains one of the texts (case ignored), for
// working on one row; the rows themselves are the same.
//
// Each command is one process tree started here: its wall time runs from the spawn to
// the reaping of its last process, its peak memory is the largest resident size among
// its processes (wait4, which counts the children it reaped), and its output is what it
// wrote into an empty folder. Every command runs three times, sides alternating, inputs
// warm in the page cache; the table shows the median. Nothing asserts a time.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run {
    double ms = 0;
    double peakMb = 0;
    qint64 bytes = 0;
    QString error;
};

struct Side {
    QString label;
    // A shell command (bash), or our program's arguments when `ours`.
    QString command;
    QStringList ours;
    // The program that must exist for the side to run.
    QString tool;
    QList<Run> runs;
    QString missing;
};

struct Row {
    QString title;
    QList<Side> sides; // ours first
    // Checks the first run's output folder; returns an error or nothing.
    std::function<QString(const QString& output)> check;
};

QString g_bin;
QString g_scratch;

void say(const QString& text) {
    std::fprintf(stderr, "bench: %s\n", qPrintable(text));
}

qint64 bytesIn(const QString& folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

int filesIn(const QString& folder, const QStringList& filters = {}) {
    int count = 0;
    QDirIterator it(folder, filters, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (!it.filePath().contains(QLatin1String("/.vesk-"))) ++count;
    }
    return count;
}

// Starts the tree, reaps it, and measures it.
Run execute(const Side& side, const QString& output) {
    Run run;
    QDir(output).removeRecursively();
    QDir().mkpath(output);
    QList<QByteArray> args;
    if (side.ours.isEmpty()) {
        args = {"/bin/bash", "-c", side.command.toUtf8()};
    } else {
        args.append(QFile::encodeName(g_bin + QStringLiteral("/vesk-bench-pipeline")));
        for (const QString& a : side.ours)
            args.append(QFile::encodeName(a));
    }
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray out = QFile::encodeName(output);
    const QByteArray log = QFile::encodeName(g_scratch + QStringLiteral("/compare.log"));
    const QByteArray data = out + "/.data", config = out + "/.config", cache = out + "/.cache";
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("OUT", out.constData(), 1);
        // Our tray keeps its files under the output folder, in folders of its own.
        ::setenv("XDG_DATA_HOME", data.constData(), 1);
        ::setenv("XDG_CONFIG_HOME", config.constData(), 1);
        ::setenv("XDG_CACHE_HOME", cache.constData(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (::freopen(log.constData(), "a", stderr) == nullptr) _exit(126);
        if (::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.bytes = bytesIn(output);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        run.error = QStringLiteral("failed (status %1; see compare.log)").arg(WEXITSTATUS(status));
    return run;
}

bool exists(const QString& tool) {
    return tool.isEmpty() || !QStandardPaths::findExecutable(tool).isEmpty() ||
           QFileInfo(tool).isExecutable();
}

// Outputs that are images: this many, each readable and, when asked, upright (taller
// than wide).
std::function<QString(const QString&)> images(int count, const QString& filter, bool portrait) {
    return [=](const QString& output) -> QString {
        QStringList found;
        QDirIterator it(output, {filter}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next());
        if (found.size() != count)
            return QStringLiteral("%1 files instead of %2").arg(found.size()).arg(count);
        QImageReader reader(found.first());
        reader.setAutoTransform(true);
        const QImage image = reader.read();
        if (image.isNull()) return QStringLiteral("unreadable output");
        if (portrait && image.height() <= image.width()) return QStringLiteral("not upright");
        return {};
    };
}

QString median(QList<double> values, QString (*format)(double)) {
    if (values.isEmpty()) return QStringLiteral("-");
    std::sort(values.begin(), values.end());
    return format(values[values.size() / 2]);
}
double medianOf(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}
QString msText(double v) {
    return QStringLiteral("%1 ms").arg(v, 0, 'f', 0);
}

QString bytesText(qint64 b) {
    if (b >= 1 << 20) return QStringLiteral("%1 MB").arg(double(b) / (1 << 20), 0, 'f', 1);
    return QStringLiteral("%1 kB").arg(double(b) / 1024, 0, 'f', 0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool quick = args.contains(QStringLiteral("--short"));
    g_bin = args.value(args.indexOf(QStringLiteral("--bin")) + 1);
    g_scratch = args.value(args.indexOf(QStringLiteral("--scratch")) + 1);
    QStringList only;
    for (qsizetype i = 1; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("--only")) only.append(args[i + 1]);
    if (g_bin.isEmpty() || g_scratch.isEmpty()) {
        std::fprintf(stderr, "usage: vesk-bench-compare --bin <folder> --scratch <folder> [--short] "
                             "[--only <text>]...\n");
        return 2;
    }
    const QString in = g_scratch + QStringLiteral("/inputs");
    say(QStringLiteral("generating the pipeline inputs"));
    QDir(in).removeRecursively();
    QProcess inputs;
    inputs.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    inputs.start(g_bin + QStringLiteral("/vesk-bench-inputs"),
                 quick ? QStringList{in, QStringLiteral("--short")} : QStringList{in});
    if (!inputs.waitForFinished(-1) || inputs.exitCode() != 0) {
        std::fprintf(stderr, "bench: the pipeline inputs could not be made\n");
        return 2;
    }
    const int photos = quick ? 2 : 20;
    const int repetitions = quick ? 1 : 3;
    const QString rotated = in + QStringLiteral("/rotated"), upright = in + QStringLiteral("/upright");
    const auto listed = [](const QString& folder, int count) {
        QStringList files = QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
        QStringList paths;
        for (const QString& f : files.mid(0, count))
            paths.append(folder + QLatin1Char('/') + f);
        return paths;
    };
    const QStringList rotatedPhotos = listed(rotated, photos), uprightPhotos = listed(upright, photos);
    const QStringList twoUpright = uprightPhotos.mid(0, 2);
    const QString q = QStringLiteral("'%1'");
    const auto quoted = [&q](const QStringList& paths) {
        QStringList result;
        for (const QString& p : paths)
            result.append(q.arg(p));
        return result.join(' ');
    };
    const auto perFile = [&](const QStringList& paths, const QString& body) {
        return QStringLiteral("for f in %1; do n=$(basename \"$f\" .jpg); %2 || exit 1; done")
            .arg(quoted(paths), body);
    };
    const auto ours = [](const QString& id, const QStringList& inputsList) {
        return Side{QStringLiteral("vesk-notch (") + id + QStringLiteral(")"),
                    {},
                    QStringList{id, QStringLiteral("$OUT")} + inputsList,
                    {},
                    {},
                    {}};
    };
    const auto tool = [](const QString& label, const QString& command, const QString& program) {
        return Side{label, command, {}, program, {}, {}};
    };
    const int treeFiles = quick ? 200 : 10000;
    const auto treeCheck = [treeFiles](const QString& output) -> QString {
        const int found = filesIn(output, {QStringLiteral("file-*"), QStringLiteral(".hidden-*")});
        return found == treeFiles ? QString()
                                  : QStringLiteral("%1 files instead of %2").arg(found).arg(treeFiles);
    };
    const auto zipCheck = [](const QString& output) -> QString {
        QStringList zips;
        QDirIterator it(output, {QStringLiteral("*.zip")}, QDir::Files);
        while (it.hasNext())
            zips.append(it.next());
        if (zips.size() != 1) return QStringLiteral("%1 archives").arg(zips.size());
        QProcess test;
        test.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), zips.first()});
        test.waitForFinished(-1);
        return test.exitCode() == 0 ? QString() : QStringLiteral("unzip -t refuses it");
    };
    const auto pdfCheck = [photos](const QString& output) -> QString {
        QDirIterator it(output, {QStringLiteral("*.pdf")}, QDir::Files);
        if (!it.hasNext()) return QStringLiteral("no PDF");
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {it.next()});
        info.waitForFinished(-1);
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        const auto pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
        const auto size =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(text);
        if (!pages.hasMatch() || pages.captured(1).toInt() != photos)
            return QStringLiteral("wrong page count");
        // A page may stand upright by its own rotation (img2pdf turns pages so).
        const auto rotation = QRegularExpression(QStringLiteral("Page rot:\\s+(\\d+)")).match(text);
        const bool turned = rotation.hasMatch() && rotation.captured(1).toInt() % 180 == 90;
        if (!size.hasMatch() || (size.captured(2).toDouble() > size.captured(1).toDouble()) == turned)
            return QStringLiteral("first page not upright");
        return {};
    };
    // The photos' folder zipped is "rotated/": the count of its JPEGs is the check.
    const auto unzipPhotosCheck = [photos](const QString& output) -> QString {
        const int found = filesIn(output, {QStringLiteral("*.jpg")});
        return found == photos ? QString() : QStringLiteral("%1 photos instead of %2").arg(found).arg(photos);
    };

    const QString bsdtarZip = QStringLiteral("cd '%1' && bsdtar -a -cf \"$OUT/%2.zip\" %2");
    const QString zipZip = QStringLiteral("cd '%1' && zip -q -r -y -6 \"$OUT/%2.zip\" %2");
    QList<Row> rows = {
        {QStringLiteral("Compress, %1 rotated photos").arg(photos),
         {ours(QStringLiteral("compressImage"), rotatedPhotos),
          tool(QStringLiteral("convert, per file"),
               perFile(rotatedPhotos,
                       QStringLiteral("/usr/bin/convert \"$f\" -auto-orient -resize '2048x2048>' "
                                      "-quality 70 \"$OUT/$n-compressed.jpg\"")),
               QStringLiteral("/usr/bin/convert")),
          tool(QStringLiteral("vipsthumbnail"),
               QStringLiteral("vipsthumbnail -s '2048x2048>' -o \"$OUT/%s-compressed.jpg[Q=70]\" ") +
                   quoted(rotatedPhotos),
               QStringLiteral("vipsthumbnail"))},
         images(photos, QStringLiteral("*.jpg"), true)},
        {QStringLiteral("Convert format, 2 upright photos"),
         {ours(QStringLiteral("convertFormat"), twoUpright),
          tool(QStringLiteral("convert, per file"),
               perFile(twoUpright, QStringLiteral("/usr/bin/convert \"$f\" \"$OUT/$n.png\"")),
               QStringLiteral("/usr/bin/convert"))},
         images(2, QStringLiteral("*.png"), false)},
        {QStringLiteral("Images to PDF, %1 rotated photos").arg(photos),
         {ours(QStringLiteral("imagesToPDF"), rotatedPhotos),
          tool(QStringLiteral("img2pdf"),
               QStringLiteral("img2pdf ") + quoted(rotatedPhotos) + QStringLiteral(" -o \"$OUT/Images.pdf\""),
               QStringLiteral("img2pdf"))},
         pdfCheck},
        {QStringLiteral("Strip EXIF, %1 upright photos").arg(photos),
         {ours(QStringLiteral("stripEXIF"), uprightPhotos),
          tool(QStringLiteral("exiftool"),
               QStringLiteral("exiftool -q -all= -o \"$OUT/\" ") + quoted(uprightPhotos),
               QStringLiteral("exiftool")),
          tool(QStringLiteral("jpegtran -copy none, per file"),
               perFile(uprightPhotos,
                       QStringLiteral("jpegtran -copy none -outfile \"$OUT/$n-clean.jpg\" \"$f\"")),
               QStringLiteral("jpegtran"))},
         images(photos, QStringLiteral("*.jpg"), false)},
        {QStringLiteral("Strip EXIF, %1 rotated photos").arg(photos),
         {ours(QStringLiteral("stripEXIF"), rotatedPhotos),
          tool(
              QStringLiteral("jpegtran -copy none -rotate 90, per file"),
              perFile(rotatedPhotos,
                      QStringLiteral("jpegtran -copy none -rotate 90 -outfile \"$OUT/$n-clean.jpg\" \"$f\"")),
              QStringLiteral("jpegtran"))},
         images(photos, QStringLiteral("*.jpg"), true)},
        {QStringLiteral("Zip, a tree of %1 files").arg(treeFiles),
         {ours(QStringLiteral("zip"), {in + QStringLiteral("/tree")}),
          tool(QStringLiteral("zip -r -y -6"), zipZip.arg(in, QStringLiteral("tree")), QStringLiteral("zip")),
          tool(QStringLiteral("bsdtar -a"), bsdtarZip.arg(in, QStringLiteral("tree")),
               QStringLiteral("bsdtar"))},
         zipCheck},
        {QStringLiteral("Zip, %1 photos").arg(photos),
         {ours(QStringLiteral("zip"), {rotated}),
          tool(QStringLiteral("zip -r -y -6"), zipZip.arg(in, QStringLiteral("rotated")),
               QStringLiteral("zip")),
          tool(QStringLiteral("bsdtar -a"), bsdtarZip.arg(in, QStringLiteral("rotated")),
               QStringLiteral("bsdtar"))},
         zipCheck},
        {QStringLiteral("Unzip, the tree's archive"),
         {ours(QStringLiteral("unzip"), {in + QStringLiteral("/tree.zip")}),
          tool(QStringLiteral("unzip"), QStringLiteral("unzip -q '%1/tree.zip' -d \"$OUT\"").arg(in),
               QStringLiteral("unzip")),
          tool(QStringLiteral("bsdtar -x"), QStringLiteral("bsdtar -xf '%1/tree.zip' -C \"$OUT\"").arg(in),
               QStringLiteral("bsdtar"))},
         treeCheck},
        {QStringLiteral("Unzip, the photos' archive"),
         {ours(QStringLiteral("unzip"), {in + QStringLiteral("/photos.zip")}),
          tool(QStringLiteral("unzip"), QStringLiteral("unzip -q '%1/photos.zip' -d \"$OUT\"").arg(in),
               QStringLiteral("unzip")),
          tool(QStringLiteral("bsdtar -x"), QStringLiteral("bsdtar -xf '%1/photos.zip' -C \"$OUT\"").arg(in),
               QStringLiteral("bsdtar"))},
         unzipPhotosCheck},
        {QStringLiteral("Tray add, the tree"),
         {Side{QStringLiteral("vesk-notch (tray add)"),
               {},
               {QStringLiteral("tray-add"), in + QStringLiteral("/tree")},
               {},
               {},
               {}},
          tool(QStringLiteral("cp -r"), QStringLiteral("cp -r '%1/tree' \"$OUT/\"").arg(in),
               QStringLiteral("cp"))},
         treeCheck},
    };

    if (!only.isEmpty())
        rows.removeIf([&only](const Row& row) {
            return std::none_of(only.cbegin(), only.cend(), [&row](const QString& text) {
                return row.title.contains(text, Qt::CaseInsensitive);
            });
        });
    const QString output = g_scratch + QStringLiteral("/compare-out");
    for (Row& row : rows) {
        say(QStringLiteral("timing ") + row.title);
        for (Side& side : row.sides) {
            if (!exists(side.tool)) side.missing = side.tool + QStringLiteral(" is not installed");
            for (QString& a : side.ours)
                a.replace(QStringLiteral("$OUT"), output);
        }
        for (int r = 0; r < repetitions; ++r) {
            for (Side& side : row.sides) {
                if (!side.missing.isEmpty()) continue;
                if (!side.runs.isEmpty() && !side.runs.first().error.isEmpty()) continue;
                Run run = execute(side, output);
                if (r == 0 && run.error.isEmpty() && row.check) {
                    const QString problem = row.check(output);
                    if (!problem.isEmpty()) run.error = problem;
                }
                side.runs.append(run);
            }
        }
    }
    QDir(output).removeRecursively();

    QString text =
        QStringLiteral("\nPipelines beside command-line tools: %1 (median of %2, wall time from spawn to "
                       "reaping; peak memory; bytes written)\n")
            .arg(quick ? QStringLiteral("short inputs") : QStringLiteral("full inputs"))
            .arg(repetitions);
    const auto line = [](const QString& label, const QString& a, const QString& b, const QString& c) {
        return QStringLiteral("    %1%2%3%4\n")
            .arg(label.leftJustified(40), a.rightJustified(12), b.rightJustified(12), c.rightJustified(12));
    };
    for (const Row& row : rows) {
        text += QStringLiteral("  ") + row.title + QLatin1Char('\n');
        std::optional<double> fastest;
        std::optional<double> oursMs;
        for (qsizetype i = 0; i < row.sides.size(); ++i) {
            const Side& side = row.sides[i];
            if (!side.missing.isEmpty()) {
                text += line(side.label, side.missing, {}, {});
                continue;
            }
            if (side.runs.isEmpty() || !side.runs.first().error.isEmpty()) {
                text +=
                    line(side.label,
                         side.runs.isEmpty() ? QStringLiteral("not run") : side.runs.first().error, {}, {});
                continue;
            }
            QList<double> ms, peak;
            QList<double> bytes;
            for (const Run& run : side.runs) {
                ms.append(run.ms);
                peak.append(run.peakMb);
                bytes.append(double(run.bytes));
            }
            const double m = medianOf(ms);
            if (i == 0)
                oursMs = m;
            else if (!fastest || m < *fastest)
                fastest = m;
            text +=
                line(side.label, median(ms, msText), QStringLiteral("%1 MB").arg(medianOf(peak), 0, 'f', 0),
                     bytesText(qint64(medianOf(bytes))));
        }
        if (oursMs && fastest)
            text += QStringLiteral("    ratio to the fastest tool: %1x (goal <= 1.0x)\n")
                        .arg(*oursMs / *fastest, 0, 'f', 2);
    }
    std::fputs(qPrintable(text), stdout);
    return 0;
}
