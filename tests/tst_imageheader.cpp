#include "image/imageheader.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr qint32 kFlash = 0x802000;
constexpr qint32 kDefault = 0x4000;
constexpr int kBigFile = 0x602000 + 4096;

QByteArray zeros(int size)
{
    return QByteArray(size, '\0');
}

QByteArray put(QByteArray data, int offset, const QByteArray &bytes)
{
    data.replace(offset, bytes.size(), bytes);
    return data;
}

QByteArray putNumber(QByteArray data, int offset, quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return put(std::move(data), offset, QByteArray(bytes, 4));
}

QByteArray marker8k(int size)
{
    return putNumber(zeros(size), 1028, 0x802000);
}

QByteArray marker8k5(int size)
{
    return putNumber(zeros(size), 1540, 0x802000);
}

QByteArray coff(int size, quint32 address, quint32 offset)
{
    return putNumber(putNumber(put(zeros(size), 0, "\x01\x50"), 56, address), 68, offset);
}

QByteArray elf(int size, const QByteArray &entryBytes)
{
    // A 32-bit ELF identification; class and byte order are ignored anyway.
    return put(put(zeros(size), 0,
                   QByteArray("\x7f"
                              "ELF\x01\x02\x01",
                              7)),
               24, entryBytes);
}

QByteArray jagr(int size, quint32 address)
{
    return putNumber(put(zeros(size), 28, "JAGR"), 34, address);
}

QByteArray absExecutable(int size, quint32 address)
{
    return putNumber(put(zeros(size), 0, "\x60\x1b"), 22, address);
}

QByteArray blank(char headerByte, char firstDataByte, int size = 8193)
{
    QByteArray data(size, headerByte);
    data[8192] = firstDataByte;
    return data;
}

} // namespace

class TestImageHeader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void detect_data();
    void detect();

private:
    QTemporaryDir dir;
};

void TestImageHeader::initTestCase()
{
    QVERIFY(dir.isValid());
    // The name rule looks at the whole path; the folder the files live in
    // must not decide it for them.
    QVERIFY(!dir.path().contains(QLatin1String(".rom"), Qt::CaseInsensitive));
}

void TestImageHeader::detect_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("loadAddress");
    QTest::addColumn<qint32>("headerSkip");

    QTest::newRow("8 KB marker, 8192 bytes") << marker8k(8192) << "a.bin" << kDefault << 0;
    QTest::newRow("8 KB marker, 8193 bytes") << marker8k(8193) << "a.bin" << kFlash << 8192;
    QTest::newRow("8.5 KB marker, 8704 bytes") << marker8k5(8704) << "a.bin" << kDefault << 0;
    QTest::newRow("8.5 KB marker, 8705 bytes") << marker8k5(8705) << "a.bin" << kFlash << 8704;
    QTest::newRow("marker at 1028 as an 8.5 KB image")
        << marker8k(8705) << "a.bin" << kFlash << 8192;
    QTest::newRow("marker one byte off")
        << putNumber(zeros(8705), 1029, 0x802000) << "a.bin" << kDefault << 0;
    QTest::newRow("marker 0x802001")
        << putNumber(zeros(8705), 1028, 0x802001) << "a.bin" << kDefault << 0;

    QTest::newRow("COFF, 72 bytes") << coff(72, 0x123456, 0xa8) << "a.cof" << kDefault << 0;
    QTest::newRow("COFF, 72 bytes, .rom name")
        << coff(72, 0x123456, 0xa8) << "a.rom" << kFlash << 0;
    QTest::newRow("COFF, 73 bytes") << coff(73, 0x123456, 0xa8) << "a.cof" << 0x123456 << 0xa8;
    QTest::newRow("COFF, half the magic")
        << put(coff(73, 0x123456, 0xa8), 1, "\x51") << "a.cof" << kDefault << 0;
    QTest::newRow("ELF, 48 bytes")
        << elf(48, QByteArray("\0\0\x40\0", 4)) << "a.bin" << kDefault << 0;
    QTest::newRow("ELF, 49 bytes")
        << elf(49, QByteArray("\0\0\x40\0", 4)) << "a.bin" << 0x4000 << 0x4000;
    QTest::newRow("little-endian ELF")
        << elf(52, QByteArray("\0\x20\x80\0", 4)) << "a.bin" << 0x208000 << 0x208000;
    QTest::newRow("JAGR, 46 bytes") << jagr(46, 0x5000) << "a.jag" << kDefault << 0;
    QTest::newRow("JAGR, 47 bytes") << jagr(47, 0x5000) << "a.jag" << 0x5000 << 46;
    QTest::newRow("ABS, 36 bytes") << absExecutable(36, 0x6000) << "a.abs" << kDefault << 0;
    QTest::newRow("ABS, 37 bytes") << absExecutable(37, 0x6000) << "a.abs" << 0x6000 << 36;

    QTest::newRow("COFF magic with the 8 KB marker")
        << putNumber(coff(8193, 0x1000, 0x20), 1028, 0x802000) << "a.cof" << kFlash << 8192;
    QTest::newRow("ABS magic with the 8.5 KB marker")
        << putNumber(absExecutable(8705, 0x1000), 1540, 0x802000) << "a.abs" << kFlash << 8704;
    QTest::newRow("ELF before JAGR")
        << put(elf(64, QByteArray("\0\0\x50\0", 4)), 28, "JAGR") << "a.bin" << 0x5000 << 0x5000;
    QTest::newRow("JAGR before ABS")
        << put(jagr(64, 0x7000), 0, "\x60\x1b") << "a.bin" << 0x7000 << 46;
    QTest::newRow("header before name") << absExecutable(40, 0x6000) << "a.rom" << 0x6000 << 36;

    QTest::newRow("blank header 0xff then 0x00")
        << blank('\xff', '\0') << "a.bin" << kFlash << 8192;
    QTest::newRow("blank header 0x00 then 0x01")
        << blank('\0', '\x01') << "a.bin" << kFlash << 8192;
    QTest::newRow("blank header, longer file")
        << blank('\x55', '\0', 20000) << "a.bin" << kFlash << 8192;
    QTest::newRow("8193 equal bytes") << QByteArray(8193, '\xff') << "a.bin" << kDefault << 0;
    QTest::newRow("8192 equal bytes") << QByteArray(8192, '\xff') << "a.bin" << kDefault << 0;
    QTest::newRow("blank header broken at 8191")
        << put(blank('\xff', '\0'), 8191, "\x01") << "a.bin" << kDefault << 0;
    QTest::newRow("blank header broken at 1")
        << put(blank('\xff', '\0'), 1, "\x01") << "a.bin" << kDefault << 0;

    QTest::newRow(".rom") << zeros(100) << "game.rom" << kFlash << 0;
    QTest::newRow(".ROM") << zeros(100) << "GAME.ROM" << kFlash << 0;
    QTest::newRow(".Rom") << zeros(100) << "Game.Rom" << kFlash << 0;
    QTest::newRow(".rom in a folder name") << zeros(100) << "games.rom/image.bin" << kFlash << 0;
    QTest::newRow(".rom inside the name") << zeros(100) << "image.rom.bak" << kFlash << 0;
    QTest::newRow("empty file, .rom") << QByteArray() << "empty.rom" << kFlash << 0;
    QTest::newRow("empty file") << QByteArray() << "empty.bin" << kDefault << 0;
    QTest::newRow("rom without the dot") << zeros(100) << "rom.bin" << kDefault << 0;
    QTest::newRow(".ro") << zeros(100) << "game.ro" << kDefault << 0;

    QTest::newRow("negative COFF numbers")
        << coff(80, 0x80000000, 0xfffffffe) << "a.cof" << qint32(0x80000000) << -2;
    QTest::newRow("negative ELF entry")
        << elf(52, QByteArray("\xff\xff\xff\xf0", 4)) << "a.bin" << -16 << -16;
    QTest::newRow("negative JAGR address")
        << jagr(47, 0xc0000000) << "a.jag" << qint32(0xc0000000) << 46;
    QTest::newRow("negative ABS address") << absExecutable(37, 0xffffffff) << "a.abs" << -1 << 36;

    QTest::newRow("longer than 0x602000, 8 KB marker")
        << marker8k(kBigFile) << "big.bin" << kFlash << 8192;
    QTest::newRow("longer than 0x602000, 8.5 KB marker")
        << marker8k5(kBigFile) << "big.bin" << kFlash << 8704;
    QTest::newRow("longer than 0x602000, blank header")
        << blank('\xff', '\x01', kBigFile) << "big.bin" << kFlash << 8192;
    QTest::newRow("longer than 0x602000, unknown")
        << QByteArray(kBigFile, '\x33') << "big.bin" << kDefault << 0;
    QTest::newRow("longer than 0x602000, .rom")
        << QByteArray(kBigFile, '\x33') << "big.rom" << kFlash << 0;
}

void TestImageHeader::detect()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QFETCH(qint32, loadAddress);
    QFETCH(qint32, headerSkip);

    const QString path = dir.filePath(name);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(out.write(content), content.size());
    out.close();

    // From the file, the way the window reads it.
    const QByteArray encodedPath = QFile::encodeName(path);
    std::FILE *file = std::fopen(encodedPath.constData(), "rb");
    QVERIFY(file);
    const ImageHeader fromFile = detectImageHeader(file, encodedPath);
    std::fclose(file);
    QCOMPARE(fromFile.loadAddress, loadAddress);
    QCOMPARE(fromFile.headerSkip, headerSkip);

    // From memory, in a copy of exactly the file's size, so that a sanitizer
    // build catches any read past the bytes given.
    auto copy = std::make_unique<unsigned char[]>(std::size_t(content.size()));
    if (!content.isEmpty())
        std::memcpy(copy.get(), content.constData(), std::size_t(content.size()));
    const ImageHeader fromMemory
        = detectImageHeader(copy.get(), std::size_t(content.size()), encodedPath);
    QCOMPARE(fromMemory.loadAddress, loadAddress);
    QCOMPARE(fromMemory.headerSkip, headerSkip);
}

VANTREL_TEST_MAIN(TestImageHeader)
#include "tst_imageheader.moc"
