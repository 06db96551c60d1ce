#include "app/mainwindow.h"
#include "tests/boardtest.h"
#include "tests/dialogwatcher.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QPushButton>
#include <QTabWidget>

using TestSupport::child;

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void resetAndSerialReturnAtOnce_data();
    void resetAndSerialReturnAtOnce();
    void listsIgnoreOptionsAndSwitches_data();
    void listsIgnoreOptionsAndSwitches();
    void firstUpdateShowsTheBareDialog();
    void updateAfterADumpShowsTheDumpTitle();
    void cancelButtonOfTheFirstUpdateReturnsEarly();

private:
    QTemporaryDir m_dir;
};

void TestMaintenance::init()
{
    TestSupport::startAsFirstRun();
}

void TestMaintenance::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

void TestMaintenance::resetAndSerialReturnAtOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("Reset Skunk button") << "button" << QStringList{"-r"};
    QTest::newRow("Ctrl+R") << "Ctrl+R" << QStringList{"-r"};
    QTest::newRow("Ctrl+S") << "Ctrl+S" << QStringList{"-q", "-s"};
}

void TestMaintenance::resetAndSerialReturnAtOnce()
{
    QFETCH(QString, how);
    QFETCH(QStringList, expected);

    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    qputenv("JCP_SIM_SLEEP_MS", "1500");
    qputenv("JCP_SIM_STDOUT", "board says hello");
    DialogWatcher watcher;

    if (how == QLatin1String("button"))
        QTest::mouseClick(child<QPushButton>(w, "resetSkunk"), Qt::LeftButton);
    else if (how == QLatin1String("Ctrl+R"))
        BoardTest::pressShortcut(w, Qt::Key_R);
    else
        BoardTest::pressShortcut(w, Qt::Key_S);

    // Back at once, the tool still running, the window free to use.
    QVERIFY(!BoardTest::outputParagraphs(w).contains(QStringLiteral("board says hello")));
    QVERIFY(!BoardTest::busyDialog()->isVisible());
    QVERIFY(w->isEnabled());
    QTRY_COMPARE(TestSupport::recordedRuns(), QList<QStringList>{expected});
    QTRY_VERIFY_WITH_TIMEOUT(
        BoardTest::outputParagraphs(w).contains(QStringLiteral("board says hello")), 10000);
    // The result reaches only the pane: no dialog at any time, tab unchanged.
    QCOMPARE(watcher.total(), 0);
    QCOMPARE(child<QTabWidget>(w, "tabWidget")->currentIndex(), 0);
}

void TestMaintenance::listsIgnoreOptionsAndSwitches_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("reset") << int(Qt::Key_R) << QStringList{"-r"};
    QTest::newRow("serial") << int(Qt::Key_S) << QStringList{"-q", "-s"};
    QTest::newRow("update") << int(Qt::Key_U) << QStringList{"-q", "-u"};
}

void TestMaintenance::listsIgnoreOptionsAndSwitches()
{
    QFETCH(int, key);
    QFETCH(QStringList, expected);

    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    child<QAction>(w, "actionUse_Word_Flash_Mode")->trigger();
    BoardTest::clickCheckBox(w, "overrideCheck");
    BoardTest::typeInto(w, "overrideAddress", QStringLiteral("0x802000"));
    BoardTest::clickCheckBox(w, "skipheaderCheck");
    BoardTest::typeInto(w, "skipBytesval", QStringLiteral("8192"));
    BoardTest::clickCheckBox(w, "skipbootCheck");
    BoardTest::clickIsFlash(w);
    child<QAction>(w, "actionRev_1_Skunkboard")->trigger();
    BoardTest::typeInto(w, "filenameEdit", QString());

    qputenv("JCP_SIM_STDOUT", "done");
    BoardTest::pressShortcut(w, Qt::Key(key));
    QTRY_COMPARE(TestSupport::recordedRuns(), QList<QStringList>{expected});
    QTRY_VERIFY(BoardTest::outputParagraphs(w).contains(QStringLiteral("done")));
}

void TestMaintenance::firstUpdateShowsTheBareDialog()
{
    auto window = BoardTest::showWindow();
    qputenv("JCP_SIM_SLEEP_MS", "1000");
    qputenv("JCP_SIM_STDOUT", "firmware updated");

    auto seen = BoardTest::inspectNextBusyDialog(window.get());
    BoardTest::pressShortcut(window.get(), Qt::Key_U);

    QVERIFY(seen->seen);
    QVERIFY(seen->visible);
    QCOMPARE(seen->runsStarted, qsizetype(1));
    QCOMPARE(seen->title, QString());
    QCOMPARE(seen->label, QString());
    QVERIFY(seen->hasCancelButton);
    QCOMPARE(seen->minimum, 0);
    QCOMPARE(seen->maximum, 0);
    QCOMPARE(seen->modality, Qt::WindowModal);
    QCOMPARE(TestSupport::recordedRuns(), (QList<QStringList>{{"-q", "-u"}}));
    // Returned only after the tool had ended.
    QVERIFY(BoardTest::outputParagraphs(window.get()).contains(QStringLiteral("firmware updated")));
    QVERIFY(!BoardTest::busyDialog()->isVisible());
}

void TestMaintenance::updateAfterADumpShowsTheDumpTitle()
{
    QVERIFY(m_dir.isValid());
    auto window = BoardTest::showWindow();
    qputenv("JCP_SIM_STDOUT", "dumped");
    BoardTest::answerNextFileDialog(m_dir.filePath(QStringLiteral("bank1.rom")));
    BoardTest::pressShortcut(window.get(), Qt::Key_1);
    QCOMPARE(TestSupport::recordedRuns().size(), 1);

    qputenv("JCP_SIM_SLEEP_MS", "1000");
    auto seen = BoardTest::inspectNextBusyDialog(window.get());
    BoardTest::pressShortcut(window.get(), Qt::Key_U);
    QVERIFY(seen->seen);
    QCOMPARE(seen->title, QStringLiteral("Dumping bank 1 ROM to file"));
    QCOMPARE(
        seen->label,
        QStringLiteral("This can take a minute or so depending on ROM size and USB speed of PC"));
    QVERIFY(!seen->hasCancelButton);
    QCOMPARE(seen->minimum, 0);
    QCOMPARE(seen->maximum, 0);
    QCOMPARE(TestSupport::recordedRuns().last(), (QStringList{"-q", "-u"}));
}

void TestMaintenance::cancelButtonOfTheFirstUpdateReturnsEarly()
{
    auto window = BoardTest::showWindow();
    qputenv("JCP_SIM_SLEEP_MS", "2500");
    qputenv("JCP_SIM_STDOUT", "firmware updated");

    auto seen = BoardTest::inspectNextBusyDialog(window.get(), [](QProgressDialog *dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton *>(), Qt::LeftButton);
    });
    BoardTest::pressShortcut(window.get(), Qt::Key_U);

    QVERIFY(seen->seen);
    QVERIFY(seen->hasCancelButton);
    QVERIFY(!BoardTest::busyDialog()->isVisible());
    QVERIFY(
        !BoardTest::outputParagraphs(window.get()).contains(QStringLiteral("firmware updated")));
    QTRY_VERIFY_WITH_TIMEOUT(
        BoardTest::outputParagraphs(window.get()).contains(QStringLiteral("firmware updated")),
        10000);
    QVERIFY(!BoardTest::busyDialog()->isVisible());
}

VANTREL_TEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
