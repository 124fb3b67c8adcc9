// vesk-bench-inputs: writes the pipeline benchmark's inputs into a folder, the same bytes
// on every run (seeded): photos (rotated and upright), a tree of small files, and two
// archives of them made with zip.
//
//   vesk-bench-inputs <folder> [--short]
//
// Photos are 6000 x 4000 JPEGs at quality 92, 4:2:0, with gradients and noise (flat
// colour compresses unlike a photo), Exif (make, model, date, GPS), an sRGB profile and
// orientation 6 in rotated/, 1 in upright/. --short makes two 2 MP photos and 200 files.
#include <QColorSpace>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <exiv2/exiv2.hpp>
#include <turbojpeg.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct Random {
    quint64 state;
    quint32 next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return quint32(state);
    }
};

bool fail(const QString& what) {
    std::fprintf(stderr, "vesk-bench-inputs: %s\n", qPrintable(what));
    return false;
}

QByteArray photoPixels(int width, int height, quint64 seed) {
    QByteArray rgb(qsizetype(width) * height * 3, Qt::Uninitialized);
    Random random{seed * 0x9E3779B97F4A7C15ull + 1};
    const double phase = double(seed % 97) / 7.0;
    std::vector<double> columns(static_cast<size_t>(width));
    std::vector<double> rows(static_cast<size_t>(height));
    for (int x = 0; x < width; ++x)
        columns[size_t(x)] = 90 * std::sin(x * 0.0021 + phase) + 40 * std::sin(x * 0.031 + 2 * phase);
    for (int y = 0; y < height; ++y)
        rows[size_t(y)] = 80 * std::cos(y * 0.0017 + phase) + 30 * std::sin(y * 0.043);
    auto* p = reinterpret_cast<unsigned char*>(rgb.data());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double base = 128 + (columns[size_t(x)] + rows[size_t(y)]) / 2;
            const quint32 noise = random.next();
            for (int c = 0; c < 3; ++c) {
                const double v =
                    base + (c - 1) * 25 * std::sin((x + y) * 0.0007 + c) + int(noise >> (c * 8) & 31) - 15;
                *p++ = static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
            }
        }
    }
    return rgb;
}

bool writePhoto(const QString& path, int width, int height, quint64 seed) {
    const QByteArray rgb = photoPixels(width, height, seed);
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int status = tjCompress2(handle, reinterpret_cast<const unsigned char*>(rgb.constData()), width, 0,
                                   height, TJPF_RGB, &jpeg, &size, TJSAMP_420, 92, 0);
    tjDestroy(handle);
    if (status != 0) return fail(QStringLiteral("cannot encode ") + path);
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(reinterpret_cast<const char*>(jpeg), qint64(size)) == qint64(size);
    tjFree(jpeg);
    file.close();
    if (!written) return fail(QStringLiteral("cannot write ") + path);
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        Exiv2::ExifData& exif = image->exifData();
        exif["Exif.Image.Make"] = "Benchcam";
        exif["Exif.Image.Model"] = "B-24";
        exif["Exif.Image.Orientation"] = uint16_t(6);
        exif["Exif.Photo.DateTimeOriginal"] = "2026:03:05 10:00:00";
        exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
        exif["Exif.GPSInfo.GPSLatitude"] = std::string("52/1 31/1 0/1");
        exif["Exif.GPSInfo.GPSLongitudeRef"] = "E";
        exif["Exif.GPSInfo.GPSLongitude"] = std::string("13/1 24/1 0/1");
        const QByteArray icc = QColorSpace(QColorSpace::SRgb).iccProfile();
        Exiv2::DataBuf profile(reinterpret_cast<const Exiv2::byte*>(icc.constData()), long(icc.size()));
        image->setIccProfile(profile);
        image->writeMetadata();
    } catch (const std::exception& e) {
        return fail(QStringLiteral("cannot tag ") + path + QStringLiteral(": ") +
                    QString::fromLocal8Bit(e.what()));
    }
    return true;
}

bool setOrientation(const QString& path, int orientation) {
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        image->exifData()["Exif.Image.Orientation"] = uint16_t(orientation);
        image->writeMetadata();
    } catch (const std::exception& e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
    return true;
}

// 100 folders three levels deep (4 x 5 x 5), files of 1 to 16 KiB, text and binary, a
// few hidden files and links.
bool writeTree(const QString& root, int files) {
    Random random{42};
    const int folders = 100;
    QStringList paths;
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 5; ++b)
            for (int c = 0; c < 5; ++c)
                paths.append(root + QStringLiteral("/area-%1/part-%2/set-%3").arg(a).arg(b).arg(c));
    for (const QString& path : paths)
        if (!QDir().mkpath(path)) return fail(QStringLiteral("cannot make ") + path);
    for (int i = 0; i < files; ++i) {
        const QString folder = paths[i % folders];
        const bool text = i % 2 == 0;
        const bool hidden = i % 500 == 7;
        const QString name = (hidden ? QStringLiteral(".hidden-%1") : QStringLiteral("file-%1")).arg(i) +
                             (text ? QStringLiteral(".txt") : QStringLiteral(".bin"));
        const int size = 1024 + int(random.next() % (15 * 1024));
        QByteArray bytes(size, Qt::Uninitialized);
        for (int k = 0; k < size; ++k) {
            const quint32 r = random.next();
            bytes[k] = text ? char("abcdefghij klmnopqrstuvwxyz\n"[r % 28]) : char(r);
        }
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size) return fail(file.fileName());
        if (i % 1000 == 3 && !QFile::link(name, folder + QStringLiteral("/link-%1").arg(i)))
            return fail(QStringLiteral("cannot link in ") + folder);
    }
    return true;
}

bool zip(const QString& folder, const QString& archive, const QString& what) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("-y"),
                                          QStringLiteral("-6"), archive, what});
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        return fail(QStringLiteral("zip failed: ") + QString::fromLocal8Bit(process.readAllStandardError()));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) return fail(QStringLiteral("usage: vesk-bench-inputs <folder> [--short]")) ? 0 : 1;
    const QString root = QDir::cleanPath(args[1]);
    const bool quick = args.contains(QStringLiteral("--short"));
    const int photos = quick ? 2 : 20;
    const int width = quick ? 1800 : 6000, height = quick ? 1200 : 4000;
    for (const char* sub : {"rotated", "upright"})
        if (!QDir(root).mkpath(QLatin1String(sub))) return 1;
    for (int i = 1; i <= photos; ++i) {
        const QString name = QStringLiteral("/photo-%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        if (!writePhoto(root + QStringLiteral("/rotated") + name, width, height, quint64(i))) return 1;
        QFile::remove(root + QStringLiteral("/upright") + name);
        if (!QFile::copy(root + QStringLiteral("/rotated") + name,
                         root + QStringLiteral("/upright") + name) ||
            !setOrientation(root + QStringLiteral("/upright") + name, 1))
            return 1;
    }
    if (!writeTree(root + QStringLiteral("/tree"), quick ? 200 : 10000)) return 1;
    if (!zip(root, root + QStringLiteral("/tree.zip"), QStringLiteral("tree")) ||
        !zip(root, root + QStringLiteral("/photos.zip"), QStringLiteral("rotated")))
        return 1;
    return 0;
}
