// The functions behind the window: argument lists, header detection with the
// panel's proposal, output cleaning and the pane's paragraphs and bound.
#include "board/jcparguments.h"
#include "board/outputcleaner.h"
#include "board/outputfeed.h"
#include "board/outputpane.h"
#include "image/imageheader.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// A transfer as the panel gives it: each letter of `boxes` ticks one box
// (n skip boot, o override, f flash, 2 bank 2, 6 6MB, w word flash, h skip
// header).
QStringList transfer(const QByteArray &boxes, const QString &file = "game.rom",
                     const QString &skip = "8192", const QString &address = "0x802000")
{
    return transferArguments({boxes.contains('n'), boxes.contains('o'), boxes.contains('f'),
                              boxes.contains('2'), boxes.contains('6'), boxes.contains('w'),
                              boxes.contains('h'), skip, file, address});
}

// `size` zero bytes with the given bytes written at their offsets.
QByteArray image(int size, std::initializer_list<std::pair<int, QByteArray>> parts = {})
{
    QByteArray data(size, '\0');
    for (const auto &[offset, bytes] : parts)
        data.replace(offset, bytes.size(), bytes);
    return data.left(size);
}

QByteArray be(quint32 value)
{
    value = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&value), 4);
}

} // namespace

class CoreTest : public QObject
{
    Q_OBJECT

private slots:
    void argumentLists_data()
    {
        QTest::addColumn<QStringList>("actual");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("ram") << transfer("") << "-q|game.rom";
        QTest::newRow("every box, in order") << transfer("hw62fon") << "-q|-n|-o|-2|-6|-w|-f|-h|8192|game.rom|0x802000";
        QTest::newRow("banks only with flash") << transfer("26wh") << "-q|-h|8192|game.rom";
        QTest::newRow("flash, bank 1") << transfer("f") << "-q|-f|game.rom";
        QTest::newRow("texts verbatim") << transfer("ho", "/my games/é -f.rom", " 12x", "4000 ") << "-q|-o|-h| 12x|/my games/é -f.rom|4000 ";
        QTest::newRow("empty texts kept") << transfer("ho", {}, {}, {}) << "-q|-o|-h|||";
        QTest::newRow("reset") << resetArguments() << "-r";
        QTest::newRow("serial") << serialArguments() << "-q|-s";
        QTest::newRow("update") << updateArguments() << "-q|-u";
        QTest::newRow("dump 1") << dumpArguments(1, "/d/a b.rom") << "-q|-d|/d/a b.rom";
        QTest::newRow("dump 2") << dumpArguments(2, "бэкап.rom") << "-q|-d2|бэкап.rom";
        // clang-format on
    }

    void argumentLists()
    {
        QFETCH(QStringList, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected.split(u'|'));
    }

    void detection_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("proposal");
        // clang-format off
        const QByteArray bin("/g/game.bin"), flash = be(0x802000), coff("\x01\x50"), abs("\x60\x1B");
        const QByteArray jagr = "JAGR" + image(2) + be(0x5000), elf("\x7F" "ELF\x01\x01");
        QTest::newRow("8k") << image(8193, {{1028, flash}}) << bin << "0x802000 8192 flash";
        QTest::newRow("8k, short") << image(8192, {{1028, flash}}) << bin << "0x4000 0 ram";
        QTest::newRow("8.5k") << image(8705, {{1540, flash}}) << bin << "0x802000 8704 flash";
        QTest::newRow("8.5k, short") << image(8704, {{1540, flash}}) << bin << "0x4000 0 ram";
        QTest::newRow("coff") << image(73, {{0, coff}, {56, be(0x801FFF)}, {68, be(32)}}) << bin << "0x801fff 32 ram";
        QTest::newRow("coff, short") << image(72, {{0, coff}}) << bin << "0x4000 0 ram";
        QTest::newRow("coff, top bit") << image(73, {{0, coff}, {56, be(~0u)}, {68, be(1u << 31)}}) << bin << "0xffffffff -2147483648 ram";
        QTest::newRow("elf, big-endian whatever it says") << image(49, {{0, elf}, {24, be(0x802000)}}) << bin << "0x802000 8396800 flash";
        QTest::newRow("elf, short") << image(48, {{0, elf}}) << bin << "0x4000 0 ram";
        QTest::newRow("jagr") << image(47, {{28, jagr}}) << bin << "0x5000 46 ram";
        QTest::newRow("jagr, short") << image(46, {{28, jagr}}) << bin << "0x4000 0 ram";
        QTest::newRow("abs") << image(37, {{0, abs}, {22, be(0x6000)}}) << bin << "0x6000 36 ram";
        QTest::newRow("abs, short") << image(36, {{0, abs}}) << bin << "0x4000 0 ram";
        QTest::newRow("blank") << image(8193, {{8192, "\x01"}}) << bin << "0x802000 8192 flash";
        QTest::newRow("blank, no data") << image(8193) << bin << "0x4000 0 ram";
        QTest::newRow("8k before coff") << image(8193, {{0, coff}, {1028, flash}}) << bin << "0x802000 8192 flash";
        QTest::newRow("jagr before abs") << image(47, {{0, abs}, {28, jagr}}) << bin << "0x5000 46 ram";
        QTest::newRow("rom, any case") << image(9) << QByteArray("/g/GAME.Rom") << "0x802000 0 flash";
        QTest::newRow("rom folder") << image(9) << QByteArray("/g.rom/g.bin") << "0x802000 0 flash";
        QTest::newRow("empty") << QByteArray() << bin << "0x4000 0 ram";
        // clang-format on
    }

    void detection()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, path);
        const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
        const PanelProposal p
            = proposePanel(detectImageHeader(bytes, std::size_t(data.size()), path));
        QTEST(QStringList({p.address, p.headerSkip, p.isFlash ? "flash" : "ram"}).join(u' '),
              "proposal");
    }

    void relay()
    {
        // One line a chunk: Latin-1, whitespace simplified, the spinner gone.
        QCOMPARE(cleanToolOutput("|\b/\b-\b\\\b"), QStringLiteral("/-\\"));
        QCOMPARE(cleanToolOutput("  a\r\n\tb  \n"), QStringLiteral("a b"));
        QCOMPARE(cleanToolOutput("caf\xe9|"), QStringLiteral("café"));
        // Markup stays the tool's text: no bold, no entity turned into a character.
        QTextEdit pane;
        appendPlainParagraph(&pane, QStringLiteral("<b>x</b> &lt;"));
        QCOMPARE(pane.document()->lastBlock().text(), QStringLiteral("<b>x</b> &lt;"));
        QVERIFY(!pane.document()->lastBlock().begin().fragment().charFormat().font().bold());
    }

    void pane_data()
    {
        // Each text is added alone; a pane with a limit per turn is shown.
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("limits"); // characters, paragraphs, per turn, hidden
        const QStringList lines = QString("one two three four five six seven").split(' ');
        const int n = 999;
        // clang-format off
        QTest::newRow("as append, empty ones too") << QStringList{"", "", "a", "", "b"} << QList<int>{n, n, n, n};
        QTest::newRow("just within the bound") << lines << QList<int>{34, 7, n, n};
        QTest::newRow("characters over") << (lines + lines) << QList<int>{30, n, n, n};
        QTest::newRow("paragraphs over") << (lines + QStringList(9, "") + QStringList{"end"}) << QList<int>{n, 8, n, n};
        QTest::newRow("newest alone over") << QStringList{"abc", QString(50, 'z')} << QList<int>{40, n, n, n};
        QTest::newRow("over twice") << QStringList(40, "abcde") << QList<int>{40, n, n, n};
        QTest::newRow("long text, turn by turn") << QStringList{"x", QString(200, 'y') + 'z'} << QList<int>{n, n, 8, n};
        QTest::newRow("hidden, then shown") << (lines + lines + lines) << QList<int>{n, n, 6, 10};
        QTest::newRow("hidden, over the bound") << (lines + lines + lines) << QList<int>{40, n, 6, 10};
        // clang-format on
    }

    void pane()
    {
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, limits);
        const OutputFeed::Limits bounds{limits[0], limits[1], limits[2], limits[3]};
        // What appending every text (in pieces of at most a turn) gives.
        QTextEdit pane, reference;
        auto *feed = new OutputFeed(&pane, bounds);
        for (const QString &text : texts) {
            feed->add({text});
            for (qsizetype at = 0; at == 0 || at < text.size(); at += bounds.perTurn)
                reference.append(text.mid(at, bounds.perTurn));
        }
        // One turn of the event loop adds at most about its worth.
        QVERIFY(pane.document()->characterCount() <= 2 * bounds.perTurn + 60);
        const QStringList all = reference.toPlainText().split(u'\n');
        const QString &tail = all.last();
        if (limits[2] < 999) {
            QTest::qWait(50);
            // A hidden pane takes no more than its share until it is shown.
            QCOMPARE(pane.toPlainText().endsWith(tail), limits[3] == 999);
            pane.show();
        }
        QTRY_VERIFY(pane.toPlainText().endsWith(tail));
        QStringList held = pane.toPlainText().split(u'\n');
        const bool over
            = reference.document()->characterCount() > limits[0] || all.size() > limits[1];
        // Over the bound the oldest went, the newest are all there, the first
        // line says how much is missing, and about the bound stays.
        const QString note = over ? held.takeFirst() : QString();
        const qsizetype gone = all.size() - held.size();
        QCOMPARE(held, all.mid(gone));
        const QString expected
            = QStringLiteral("Earlier output left out: %1 paragraphs, %2 characters.")
                  .arg(QLocale().toString(gone),
                       QLocale().toString(all.mid(0, gone).join(QString()).size()));
        QCOMPARE(note, over ? expected : QString());
        const qsizetype kept = pane.document()->characterCount() - note.size() - 1;
        QVERIFY((kept <= limits[0] || held.size() == 1) && held.size() <= limits[1]);
        QVERIFY(!over || kept > limits[0] / 2 || held.size() > limits[1] / 2);
    }
};

QTEST_MAIN(CoreTest)
#include "tst_core.moc"
