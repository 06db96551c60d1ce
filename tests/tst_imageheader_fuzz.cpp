// Random and mutated headers through detection, each compared with a model
// of the recognition rules written independently here. Every input sits in a
// heap block of exactly its size, so a sanitizer build of the tests catches
// any read past the bytes detection was given.

#include "image/imageheader.h"
#include "tests/testsupport.h"

#include <QRandomGenerator>
#include <QtEndian>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The most a file read may deliver; longer files count as this long.
constexpr qsizetype kMaximumRead = 0x602000;

struct Rule
{
    const char *form;
    qsizetype moreThan;
    std::function<bool(const QByteArray &)> applies;
    std::function<ImageHeader(const QByteArray &)> result;
};

qint32 numberAt(const QByteArray &data, int offset)
{
    return qint32(qFromBigEndian<quint32>(data.constData() + offset));
}

const QByteArray kMarker = QByteArray::fromHex("00802000");

const std::vector<Rule> &rules()
{
    static const std::vector<Rule> table = {
        {"8 KB header", 8192, [](const QByteArray &d) { return d.mid(1028, 4) == kMarker; },
         [](const QByteArray &) {
             return ImageHeader{0x802000, 8192};
         }},
        {"8.5 KB header", 8704, [](const QByteArray &d) { return d.mid(1540, 4) == kMarker; },
         [](const QByteArray &) {
             return ImageHeader{0x802000, 8704};
         }},
        {"COFF", 72, [](const QByteArray &d) { return d.startsWith(QByteArray::fromHex("0150")); },
         [](const QByteArray &d) {
             return ImageHeader{numberAt(d, 56), numberAt(d, 68)};
         }},
        {"ELF", 48,
         [](const QByteArray &d) {
             return d.startsWith("\x7f"
                                 "ELF");
         },
         [](const QByteArray &d) {
             return ImageHeader{numberAt(d, 24), numberAt(d, 24)};
         }},
        {"JAGR", 46, [](const QByteArray &d) { return d.mid(28, 4) == "JAGR"; },
         [](const QByteArray &d) {
             return ImageHeader{numberAt(d, 34), 46};
         }},
        {"ABS", 36, [](const QByteArray &d) { return d.startsWith(QByteArray::fromHex("601b")); },
         [](const QByteArray &d) {
             return ImageHeader{numberAt(d, 22), 36};
         }},
        {"blank header", 8192,
         [](const QByteArray &d) {
             return d.left(8192).count(d.at(0)) == 8192 && d.at(8192) != d.at(0);
         },
         [](const QByteArray &) {
             return ImageHeader{0x802000, 8192};
         }},
    };
    return table;
}

// Returns the index of the rule that decides, rules().size() for the name
// rule and rules().size() + 1 for the defaults.
std::size_t model(const QByteArray &file, const QByteArray &path, ImageHeader &header)
{
    const qsizetype read = qMin(file.size(), kMaximumRead);
    const std::vector<Rule> &table = rules();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (read > table[i].moreThan && table[i].applies(file)) {
            header = table[i].result(file);
            return i;
        }
    }
    if (QString::fromLatin1(path).contains(QLatin1String(".rom"), Qt::CaseInsensitive)) {
        header = {0x802000, 0};
        return table.size();
    }
    header = {0x4000, 0};
    return table.size() + 1;
}

class Generator
{
public:
    explicit Generator(quint32 seed)
        : random(seed)
    {
    }

    QByteArray file()
    {
        static const int sizes[]
            = {0,  1,  2,    4,    35,   36,   37,   45,   46,   47,   48,   49,   71,
               72, 73, 1032, 1544, 8191, 8192, 8193, 8194, 8703, 8704, 8705, 8706, 9000};
        const int size
            = chance(4) ? int(random.bounded(20000)) : sizes[random.bounded(int(std::size(sizes)))];
        QByteArray data(size, '\0');
        // A blank header is easily spoilt, so it gets fewer forms laid over it.
        const bool blank = chance(3);
        if (blank) {
            data.fill(char(random.bounded(256)));
            if (size > 8192 && chance(2))
                data[8192] = char(random.bounded(256));
        } else {
            for (char &byte : data)
                byte = char(random.bounded(256));
        }
        const int overlay = blank ? 12 : 3;

        // Lay parts of the known forms over it, several at once at times.
        if (chance(overlay))
            put(data, 1028, kMarker);
        if (chance(overlay))
            put(data, 1540, kMarker);
        if (chance(overlay))
            put(data, 0, QByteArray::fromHex("0150"));
        if (chance(overlay))
            put(data, 0,
                "\x7f"
                "ELF");
        if (chance(overlay))
            put(data, 28, "JAGR");
        if (chance(overlay))
            put(data, 0, QByteArray::fromHex("601b"));

        // And damage a few bytes.
        const int flips = chance(blank ? 4 : 2) ? int(random.bounded(4)) : 0;
        for (int i = 0; i < flips && size > 0; ++i) {
            const int at = int(random.bounded(size));
            data[at] = char(data.at(at) ^ (1 << random.bounded(8)));
        }
        return data;
    }

    QByteArray path()
    {
        static const char *const names[]
            = {"/games/image.bin", "/games/image.rom", "/games/IMAGE.ROM", "/Games.Rom/x.abs",
               "/games/image.ro",  "/games/rom",       "/g/\xe9.rom",      ""};
        QByteArray name = names[random.bounded(int(std::size(names)))];
        for (char &c : name) {
            if (chance(4))
                c = char(random.bounded(256));
        }
        return name;
    }

private:
    bool chance(int oneIn) { return random.bounded(oneIn) == 0; }

    static void put(QByteArray &data, int offset, const QByteArray &bytes)
    {
        if (offset + bytes.size() <= data.size())
            data.replace(offset, bytes.size(), bytes);
    }

    QRandomGenerator random;
};

} // namespace

class TestImageHeaderFuzz : public QObject
{
    Q_OBJECT

private slots:
    void randomHeadersMatchTheModel();
    void filesLongerThanTheReadMatchTheModel();
};

void TestImageHeaderFuzz::randomHeadersMatchTheModel()
{
    Generator generator(0x5eed1234);
    std::vector<int> decided(rules().size() + 2, 0);

    for (int round = 0; round < 6000; ++round) {
        const QByteArray file = generator.file();
        const QByteArray path = generator.path();
        ImageHeader expected{};
        ++decided[model(file, path, expected)];

        const std::size_t size = std::size_t(file.size());
        auto exact = std::make_unique<unsigned char[]>(size);
        if (size > 0)
            std::memcpy(exact.get(), file.constData(), size);

        const ImageHeader fromMemory = detectImageHeader(exact.get(), size, path);
        std::FILE *stream = fmemopen(exact.get(), size, "rb");
        QVERIFY(stream);
        const ImageHeader fromStream = detectImageHeader(stream, path);
        std::fclose(stream);

        const QByteArray what = "round " + QByteArray::number(round) + ", "
            + QByteArray::number(file.size()) + " bytes, path " + path.toHex();
        QVERIFY2(fromMemory.loadAddress == expected.loadAddress
                     && fromMemory.headerSkip == expected.headerSkip,
                 what.constData());
        QVERIFY2(fromStream.loadAddress == expected.loadAddress
                     && fromStream.headerSkip == expected.headerSkip,
                 what.constData());
    }

    // A generator that never reached some rule would prove nothing about it.
    for (std::size_t i = 0; i < decided.size(); ++i)
        QVERIFY2(decided[i] >= 50, QByteArray::number(qulonglong(i)).constData());
}

void TestImageHeaderFuzz::filesLongerThanTheReadMatchTheModel()
{
    Generator generator(0xb16f11e5);
    for (int round = 0; round < 8; ++round) {
        QByteArray file = generator.file();
        file.append(
            QByteArray(kMaximumRead + 1 + qsizetype(round) * 4096 - file.size(), char(round)));
        const QByteArray path = generator.path();
        ImageHeader expected{};
        model(file, path, expected);

        std::FILE *stream = fmemopen(file.data(), std::size_t(file.size()), "rb");
        QVERIFY(stream);
        const ImageHeader fromStream = detectImageHeader(stream, path);
        std::fclose(stream);
        QCOMPARE(fromStream.loadAddress, expected.loadAddress);
        QCOMPARE(fromStream.headerSkip, expected.headerSkip);
    }
}

VANTREL_TEST_MAIN(TestImageHeaderFuzz)
#include "tst_imageheader_fuzz.moc"
