#include "app/mainwindow.h"
#include "tests/boardtest.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTabWidget>

using TestSupport::child;

class TestTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void argumentList_data();
    void argumentList();
    void goAgainSendsTheSameList();
    void busyDialogStaysUpWhileTheToolRuns();
    void escapeOnTheBusyDialogReturnsEarly();
};

void TestTransfer::init()
{
    TestSupport::startAsFirstRun();
}

void TestTransfer::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

void TestTransfer::argumentList_data()
{
    QTest::addColumn<bool>("skipBoot");
    QTest::addColumn<bool>("overrideOn");
    QTest::addColumn<bool>("flash");
    QTest::addColumn<QString>("bank");
    QTest::addColumn<bool>("wordFlash");
    QTest::addColumn<bool>("skipHeader");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("skip");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("expected");

    const QString game = QStringLiteral("/tmp/games/zone.rom");
    // Rows: skipBoot, override, flash, bank, wordFlash, skipHeader, file, skip, address.
    QTest::newRow("no option") << false << false << false << "bank1Radio" << false << false << game
                               << "8192"
                               << "0x802000" << QStringList{"-q", game};
    QTest::newRow("every option, bank 2")
        << true << true << true << "bank2Radio" << true << true << game << "8192"
        << "0x802000"
        << QStringList{"-q", "-n", "-o", "-2", "-w", "-f", "-h", "8192", game, "0x802000"};
    QTest::newRow("flash, bank 1")
        << false << false << true << "bank1Radio" << false << false << game << "8192"
        << "0x802000" << QStringList{"-q", "-f", game};
    QTest::newRow("flash, bank 2")
        << false << false << true << "bank2Radio" << false << false << game << "8192"
        << "0x802000" << QStringList{"-q", "-2", "-f", game};
    QTest::newRow("flash, 6MB, word flash")
        << false << false << true << "bank6Radio" << true << false << game << "8192"
        << "0x802000" << QStringList{"-q", "-6", "-w", "-f", game};
    QTest::newRow("not flash, 6MB selected, word flash on")
        << false << false << false << "bank6Radio" << true << false << game << "8192"
        << "0x802000" << QStringList{"-q", game};
    QTest::newRow("not flash, bank 2 selected")
        << false << false << false << "bank2Radio" << false << false << game << "8192"
        << "0x802000" << QStringList{"-q", game};
    QTest::newRow("override address goes last")
        << false << true << false << "bank1Radio" << false << false << game << "8192"
        << "0x4000" << QStringList{"-q", "-o", game, "0x4000"};
    QTest::newRow("skip header before the path")
        << false << false << false << "bank1Radio" << false << true << game << "46"
        << "0x4000" << QStringList{"-q", "-h", "46", game};
    QTest::newRow("empty file field")
        << false << false << false << "bank1Radio" << false << false << QString() << "8192"
        << "0x802000" << QStringList{"-q", QString()};
    QTest::newRow("texts as typed, not checked for form")
        << false << true << false << "bank1Radio" << false << true << " My Games/zone.ROM "
        << " 12x"
        << "zz" << QStringList{"-q", "-o", "-h", " 12x", " My Games/zone.ROM ", "zz"};
    QTest::newRow("hand-typed path outside Latin-1")
        << false << false << true << "bank1Radio" << false << false
        << QStringLiteral("/tmp/игры/зона.rom") << "8192"
        << "0x802000" << QStringList{"-q", "-f", QStringLiteral("/tmp/игры/зона.rom")};
}

void TestTransfer::argumentList()
{
    QFETCH(bool, skipBoot);
    QFETCH(bool, overrideOn);
    QFETCH(bool, flash);
    QFETCH(QString, bank);
    QFETCH(bool, wordFlash);
    QFETCH(bool, skipHeader);
    QFETCH(QString, file);
    QFETCH(QString, skip);
    QFETCH(QString, address);
    QFETCH(QStringList, expected);

    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    if (wordFlash)
        child<QAction>(w, "actionUse_Word_Flash_Mode")->trigger();

    // Both fields get their text whether or not their box ends up ticked: an
    // unticked box must keep its field's text out of the list.
    auto *overrideCheck = child<QCheckBox>(w, "overrideCheck");
    BoardTest::clickCheckBox(w, "overrideCheck");
    BoardTest::typeInto(w, "overrideAddress", address);
    if (!overrideOn)
        BoardTest::clickCheckBox(w, "overrideCheck");
    auto *skipCheck = child<QCheckBox>(w, "skipheaderCheck");
    BoardTest::clickCheckBox(w, "skipheaderCheck");
    BoardTest::typeInto(w, "skipBytesval", skip);
    if (!skipHeader)
        BoardTest::clickCheckBox(w, "skipheaderCheck");
    QCOMPARE(overrideCheck->isChecked(), overrideOn);
    QCOMPARE(skipCheck->isChecked(), skipHeader);

    // The radio buttons can only be chosen inside a ticked box; the choice
    // stays when the box is cleared again.
    auto *isFlash = child<QGroupBox>(w, "isFlash");
    BoardTest::clickIsFlash(w);
    QVERIFY(isFlash->isChecked());
    auto *radio = child<QRadioButton>(w, bank.toLatin1().constData());
    QTest::mouseClick(radio, Qt::LeftButton);
    QVERIFY(radio->isChecked());
    if (!flash)
        BoardTest::clickIsFlash(w);
    QCOMPARE(isFlash->isChecked(), flash);

    if (skipBoot)
        BoardTest::clickCheckBox(w, "skipbootCheck");
    BoardTest::typeInto(w, "filenameEdit", file);
    QCOMPARE(child<QLineEdit>(w, "filenameEdit")->text(), file);

    BoardTest::clickGo(w);
    QCOMPARE(TestSupport::recordedRuns(), QList<QStringList>{expected});
    QVERIFY(!BoardTest::busyDialog()->isVisible());
}

void TestTransfer::goAgainSendsTheSameList()
{
    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    BoardTest::typeInto(w, "filenameEdit", QStringLiteral("/tmp/a.rom"));
    BoardTest::clickCheckBox(w, "skipbootCheck");
    qputenv("JCP_SIM_STDOUT", "first run");
    BoardTest::clickGo(w);
    qputenv("JCP_SIM_STDOUT", "second run");
    BoardTest::clickGo(w);

    const QStringList expected{"-q", "-n", "/tmp/a.rom"};
    QCOMPARE(TestSupport::recordedRuns(), (QList<QStringList>{expected, expected}));
    // Nothing of the panel changed, the tab stayed, the pane kept both runs.
    QVERIFY(child<QCheckBox>(w, "skipbootCheck")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "filenameEdit")->text(), QStringLiteral("/tmp/a.rom"));
    QCOMPARE(child<QTabWidget>(w, "tabWidget")->currentIndex(), 0);
    const QStringList pane = BoardTest::outputParagraphs(w);
    QVERIFY(pane.indexOf(QStringLiteral("first run")) >= 0);
    QVERIFY(pane.indexOf(QStringLiteral("second run")) > pane.indexOf(QStringLiteral("first run")));
}

void TestTransfer::busyDialogStaysUpWhileTheToolRuns()
{
    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    BoardTest::typeInto(w, "filenameEdit", QStringLiteral("/tmp/a.rom"));
    qputenv("JCP_SIM_SLEEP_MS", "1500");
    qputenv("JCP_SIM_STDOUT", "transfer finished");

    auto seen = BoardTest::inspectNextBusyDialog(w);
    BoardTest::clickGo(w);

    QVERIFY(seen->seen);
    QCOMPARE(seen->title, QStringLiteral("Sending file to Skunkboard"));
    QCOMPARE(
        seen->label,
        QStringLiteral("This can take a minute or so depending on file size and USB speed of PC"));
    QVERIFY(!seen->hasCancelButton);
    QCOMPARE(seen->minimum, 0);
    QCOMPARE(seen->maximum, 0);
    QCOMPARE(seen->modality, Qt::WindowModal);
    // Up after the tool had started, and before it had printed anything.
    QCOMPARE(seen->runsStarted, qsizetype(1));
    QVERIFY(seen->visible);
    QVERIFY(!seen->paneWhileUp.contains(QStringLiteral("transfer finished")));
    // The slot returned only once the tool had ended: its output is already
    // in the pane and the dialog is gone.
    QVERIFY(BoardTest::outputParagraphs(w).contains(QStringLiteral("transfer finished")));
    QVERIFY(!BoardTest::busyDialog()->isVisible());
}

void TestTransfer::escapeOnTheBusyDialogReturnsEarly()
{
    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    BoardTest::typeInto(w, "filenameEdit", QStringLiteral("/tmp/a.rom"));
    qputenv("JCP_SIM_SLEEP_MS", "2500");
    qputenv("JCP_SIM_STDOUT", "late output");

    auto seen = BoardTest::inspectNextBusyDialog(w, BoardTest::pressEscape);
    BoardTest::clickGo(w);

    QVERIFY(seen->seen);
    QVERIFY(seen->visible);
    QVERIFY(!BoardTest::busyDialog()->isVisible());
    // The tool keeps running and its output still arrives.
    QVERIFY(!BoardTest::outputParagraphs(w).contains(QStringLiteral("late output")));
    QTRY_VERIFY_WITH_TIMEOUT(BoardTest::outputParagraphs(w).contains(QStringLiteral("late output")),
                             10000);
    QVERIFY(!BoardTest::busyDialog()->isVisible());
    QCOMPARE(TestSupport::recordedRuns().size(), 1);
}

VANTREL_TEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
