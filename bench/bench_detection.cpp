// Times header detection of a 6 MB image, done the way the main window does
// it (open the file, read and detect, close, with the window's own calls),
// against a plain read of the whole file into memory, both from a warm page
// cache in the same run. Prints the two medians and their ratio.

#include "image/imagefile.h"
#include "image/imageheader.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRuns = 41;
constexpr qsizetype kImageSize = 0x602000; // 8 KB header and 6 MB of data

QByteArray makeImage()
{
    QByteArray image(kImageSize, '\0');
    QRandomGenerator random(20240601);
    random.fillRange(reinterpret_cast<quint32 *>(image.data()), image.size() / 4);
    // The 8 KB-header marker, so detection has a form to find.
    image[1028] = 0x00;
    image[1029] = char(0x80);
    image[1030] = 0x20;
    image[1031] = 0x00;
    return image;
}

qint64 median(std::vector<qint64> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Both return the time taken, or -1 when the file could not be opened.
qint64 timeDetection(const QByteArray &path, ImageHeader &header)
{
    QElapsedTimer timer;
    timer.start();
    QString error;
    std::FILE *file = openImageFile(QFile::decodeName(path), error);
    if (!file)
        return -1;
    header = detectImageHeader(file, path);
    std::fclose(file);
    return timer.nsecsElapsed();
}

qint64 timePlainRead(const QByteArray &path, std::size_t &count)
{
    QElapsedTimer timer;
    timer.start();
    std::FILE *file = std::fopen(path.constData(), "rb");
    if (!file)
        return -1;
    std::vector<unsigned char> data(kImageSize);
    count = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    return timer.nsecsElapsed();
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_detection: cannot create a temporary folder\n");
        return 1;
    }
    const QString name = dir.filePath(QStringLiteral("bench.bin"));
    QFile out(name);
    if (!out.open(QIODevice::WriteOnly) || out.write(makeImage()) != kImageSize) {
        std::fprintf(stderr, "bench_detection: cannot write %s\n", qPrintable(name));
        return 1;
    }
    out.close();
    const QByteArray path = QFile::encodeName(name);

    // Warm the page cache and both code paths before timing anything.
    ImageHeader header{};
    std::size_t count = 0;
    for (int i = 0; i < 3; ++i) {
        timePlainRead(path, count);
        timeDetection(path, header);
    }

    std::vector<qint64> detection;
    std::vector<qint64> plainRead;
    for (int i = 0; i < kRuns; ++i) {
        // Interleaved, so drift in the machine's load hits both alike.
        detection.push_back(timeDetection(path, header));
        plainRead.push_back(timePlainRead(path, count));
        if (detection.back() < 0 || plainRead.back() < 0 || count != std::size_t(kImageSize)) {
            std::fprintf(stderr, "bench_detection: reading %s failed\n", path.constData());
            return 1;
        }
        if (header.loadAddress != 0x802000 || header.headerSkip != 8192) {
            std::fprintf(stderr, "bench_detection: detection gave 0x%x, %d\n",
                         unsigned(header.loadAddress), header.headerSkip);
            return 1;
        }
    }

    const qint64 detectionNs = median(detection);
    const qint64 plainReadNs = median(plainRead);
    std::printf("image: %lld bytes, warm cache, median of %d runs\n",
                static_cast<long long>(kImageSize), kRuns);
    std::printf("detection (open, read, detect, close): %10.1f us\n", double(detectionNs) / 1000.0);
    std::printf("plain read of the whole file:          %10.1f us\n", double(plainReadNs) / 1000.0);
    std::printf("ratio detection / plain read:          %10.3f\n",
                double(detectionNs) / double(plainReadNs));
    return EXIT_SUCCESS;
}
