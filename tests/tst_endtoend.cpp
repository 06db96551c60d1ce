#include "app/mainwindow.h"
#include "tests/boardtest.h"
#include "tests/testsupport.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTextBrowser>
#include <QtEndian>

using TestSupport::child;

// A game image goes to the simulated board and comes back through a dump,
// every step taken through the window as a user takes it.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void flashThenDump_data();
    void flashThenDump();
};

void TestEndToEnd::init()
{
    TestSupport::startAsFirstRun();
}

void TestEndToEnd::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

void TestEndToEnd::flashThenDump_data()
{
    QTest::addColumn<int>("bank");

    QTest::newRow("bank 1") << 1;
    QTest::newRow("bank 2") << 2;
}

void TestEndToEnd::flashThenDump()
{
    QFETCH(int, bank);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A ROM image with the 8 KB header that marks a cartridge image.
    QByteArray header(8192, '\0');
    qToBigEndian<quint32>(0x00802000, header.data() + 1028);
    QByteArray data(300 * 1024 + 17, '\0');
    for (char &byte : data)
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    const QString image = dir.filePath(QStringLiteral("my game.rom"));
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(header + data), header.size() + data.size());
    file.close();

    auto window = BoardTest::showWindow();
    QWidget *w = window.get();

    // Pick the image: the panel proposes its load address and header size.
    BoardTest::answerNextFileDialog(image);
    QTest::mouseClick(child<QPushButton>(w, "fileSelect"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(w, "filenameEdit")->text(), image);
    QCOMPARE(child<QLineEdit>(w, "skipBytesval")->text(), QStringLiteral("8192"));
    QCOMPARE(child<QLineEdit>(w, "overrideAddress")->text(), QStringLiteral("0x802000"));
    QVERIFY(child<QGroupBox>(w, "isFlash")->isChecked());

    BoardTest::clickCheckBox(w, "skipheaderCheck");
    QVERIFY(child<QCheckBox>(w, "skipheaderCheck")->isChecked());
    if (bank == 2)
        QTest::mouseClick(child<QRadioButton>(w, "bank2Radio"), Qt::LeftButton);
    BoardTest::clickGo(w);

    const QStringList flashed = bank == 1 ? QStringList{"-q", "-f", "-h", "8192", image}
                                          : QStringList{"-q", "-2", "-f", "-h", "8192", image};
    QCOMPARE(TestSupport::recordedRuns(), QList<QStringList>{flashed});
    const QString pane = child<QTextBrowser>(w, "outputBrowser")->toPlainText();
    QVERIFY2(pane.contains(QStringLiteral("Transfer complete: %1 bytes").arg(data.size())),
             qPrintable(pane));

    // Dump the bank back through the save dialog.
    const QString dump = dir.filePath(QStringLiteral("back.rom"));
    BoardTest::answerNextFileDialog(dump);
    BoardTest::pressShortcut(w, bank == 1 ? Qt::Key_1 : Qt::Key_2);
    QCOMPARE(TestSupport::recordedRuns().size(), 2);
    QCOMPARE(TestSupport::recordedRuns().last(),
             (QStringList{"-q", bank == 1 ? "-d" : "-d2", dump}));

    QFile back(dump);
    QVERIFY(back.open(QIODevice::ReadOnly));
    const QByteArray dumped = back.readAll();
    QCOMPARE(dumped.size(), data.size());
    QVERIFY(dumped == data);
}

VANTREL_TEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
