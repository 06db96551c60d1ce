#include "app/mainwindow.h"
#include "tests/boardtest.h"
#include "tests/testsupport.h"

#include <QFile>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBrowser>

using TestSupport::child;

class TestRelay : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void oneChunk_data();
    void oneChunk();
    void emptyPaneGainsNoEmptyParagraph();
    void secondRunAppendsAfterTheFirst();
    void spinnerOfARealTransfer();

private:
    // Runs one transfer whose tool prints exactly these bytes.
    static void transferPrinting(QWidget *window, const QByteArray &out, const QByteArray &err);
};

void TestRelay::init()
{
    TestSupport::startAsFirstRun();
}

void TestRelay::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

void TestRelay::transferPrinting(QWidget *window, const QByteArray &out, const QByteArray &err)
{
    TestSupport::resetToolBehaviour();
    if (!out.isEmpty())
        qputenv("JCP_SIM_STDOUT", out);
    if (!err.isEmpty())
        qputenv("JCP_SIM_STDERR", err);
    qputenv("JCP_SIM_EXIT", "0");
    // The transfer waits for the tool's end, so all its output is in by now.
    BoardTest::clickGo(window);
}

void TestRelay::oneChunk_data()
{
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QStringList>("added");

    QTest::newRow("lines of one chunk joined")
        << QByteArray("Connecting...\nFound board\r\n\tSending  file\n") << QByteArray()
        << QStringList{"Connecting... Found board Sending file", ""};
    QTest::newRow("standard output only, then an empty paragraph")
        << QByteArray("ready") << QByteArray() << QStringList{"ready", ""};
    QTest::newRow("standard error only, after an empty paragraph")
        << QByteArray() << QByteArray("jcp: no board found\n")
        << QStringList{"", "jcp: no board found"};
    QTest::newRow("spinner bars and backspaces removed, slash and hyphen kept")
        << QByteArray("Flashing |\b/\b-\b\\\b|\b done: a-b/c") << QByteArray()
        << QStringList{"Flashing /-\\ done: a-b/c", ""};
    QTest::newRow("whitespace only")
        << QByteArray(" \t\r\n  \n") << QByteArray() << QStringList{"", ""};
    QTest::newRow("bars and backspaces only, whitespace around")
        << QByteArray("\n |\b|\b||\b\b \n") << QByteArray() << QStringList{"", ""};
    QTest::newRow("bar between blanks leaves two spaces")
        << QByteArray("a | b") << QByteArray() << QStringList{"a  b", ""};
    QTest::newRow("text that looks like markup stays text")
        << QByteArray("<b>Error</b> &lt;3 & <i>x</i>") << QByteArray()
        << QStringList{"<b>Error</b> &lt;3 & <i>x</i>", ""};
    QTest::newRow("one character per byte")
        << QByteArray("\xe9t\xe9 caf\xc3\xa9") << QByteArray()
        << QStringList{QString::fromLatin1("\xe9t\xe9 caf\xc3\xa9"), ""};
}

void TestRelay::oneChunk()
{
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QStringList, added);

    auto window = BoardTest::showWindow();
    transferPrinting(window.get(), "earlier run", {});
    const QStringList before{"earlier run", ""};
    QCOMPARE(BoardTest::outputParagraphs(window.get()), before);

    transferPrinting(window.get(), out, err);
    QCOMPARE(BoardTest::outputParagraphs(window.get()), before + added);
    // Nothing switches to the output tab.
    QCOMPARE(child<QTabWidget>(window.get(), "tabWidget")->currentIndex(), 0);
}

void TestRelay::emptyPaneGainsNoEmptyParagraph()
{
    auto window = BoardTest::showWindow();
    // The empty standard output comes first and adds nothing to the empty pane.
    transferPrinting(window.get(), {}, "first words");
    QCOMPARE(BoardTest::outputParagraphs(window.get()), QStringList{"first words"});
}

void TestRelay::secondRunAppendsAfterTheFirst()
{
    auto window = BoardTest::showWindow();
    transferPrinting(window.get(), "run one", {});
    transferPrinting(window.get(), "run two", {});
    QCOMPARE(BoardTest::outputParagraphs(window.get()),
             (QStringList{"run one", "", "run two", ""}));
}

void TestRelay::spinnerOfARealTransfer()
{
    // The stand-in draws its progress bar with separate writes; none of its
    // bars or backspaces may reach the pane.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString image = dir.filePath(QStringLiteral("game.bin"));
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();

    auto window = BoardTest::showWindow();
    BoardTest::typeInto(window.get(), "filenameEdit", image);
    BoardTest::clickGo(window.get());
    const QString text = child<QTextBrowser>(window.get(), "outputBrowser")->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("Transfer complete")), qPrintable(text));
    QVERIFY(!text.contains(QLatin1Char('|')));
    QVERIFY(!text.contains(QLatin1Char('\b')));
}

VANTREL_TEST_MAIN(TestRelay)
#include "tst_relay.moc"
