#include "app/mainwindow.h"
#include "tests/boardtest.h"
#include "tests/dialogwatcher.h"
#include "tests/testsupport.h"

#include <QFile>
#include <QPushButton>
#include <QSettings>

using TestSupport::child;

namespace {

const QString kBusyLine
    = QStringLiteral("The flash tool is still busy with an earlier command; nothing was started.");

} // namespace

// A command given while an earlier run of the tool is still going is refused
// with a line in the pane: no dialog waits for someone else's run, and
// nothing is kept to run later.
class TestToolBusy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commandWhileAResetRuns_data();
    void commandWhileAResetRuns();
    void commandAfterAnEscapedTransfer();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startPath;
};

void TestToolBusy::init()
{
    TestSupport::startAsFirstRun();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_startPath = m_dir->filePath(QStringLiteral("earlier.rom"));
    QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
        .setValue(QStringLiteral("defdir"), m_startPath);
}

void TestToolBusy::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

void TestToolBusy::commandWhileAResetRuns_data()
{
    QTest::addColumn<QString>("command");

    QTest::newRow("Go") << "Go";
    QTest::newRow("Reset Skunk button") << "button";
    QTest::newRow("Ctrl+R") << "Ctrl+R";
    QTest::newRow("Ctrl+S") << "Ctrl+S";
    QTest::newRow("Ctrl+U") << "Ctrl+U";
    QTest::newRow("Ctrl+1") << "Ctrl+1";
    QTest::newRow("Ctrl+2") << "Ctrl+2";
}

void TestToolBusy::commandWhileAResetRuns()
{
    QFETCH(QString, command);

    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    BoardTest::typeInto(w, "filenameEdit", QStringLiteral("/tmp/game.rom"));
    qputenv("JCP_SIM_SLEEP_MS", "4000");
    qputenv("JCP_SIM_STDOUT", "reset finally done");
    BoardTest::pressShortcut(w, Qt::Key_R);
    QTRY_COMPARE(TestSupport::recordedRuns().size(), 1);

    {
        // A dialog that should not come is closed at once, so it cannot hold
        // the test up.
        DialogWatcher watcher(true);
        if (command == QLatin1String("Go")) {
            BoardTest::clickGo(w);
        } else if (command == QLatin1String("button")) {
            QTest::mouseClick(child<QPushButton>(w, "resetSkunk"), Qt::LeftButton);
        } else if (command.startsWith(QLatin1String("Ctrl+"))) {
            const QChar key = command.back();
            BoardTest::pressShortcut(w, Qt::Key(key.unicode()));
        }
        // Refused at once: no dialog ever showed, not even a dump's save
        // dialog.
        QCOMPARE(watcher.total(), 0);
    }
    QVERIFY(!BoardTest::busyDialog()->isVisible());
    QCOMPARE(BoardTest::outputParagraphs(w), QStringList{kBusyLine});
    QCOMPARE(TestSupport::recordedRuns().size(), 1);

    // The earlier run ends as usual, and the refused command never runs later.
    QTRY_VERIFY_WITH_TIMEOUT(
        BoardTest::outputParagraphs(w).contains(QStringLiteral("reset finally done")), 10000);
    TestSupport::resetToolBehaviour();
    qputenv("JCP_SIM_STDOUT", "next command ran");
    // The end of the run is reported just after its output; once it is in, a
    // new command starts. The follow-up waits for its tool, so each attempt
    // either is refused or has run completely.
    const bool followWithGo = command == QLatin1String("Ctrl+U");
    const bool ran = QTest::qWaitFor(
        [w, followWithGo] {
            if (followWithGo)
                BoardTest::clickGo(w);
            else
                BoardTest::pressShortcut(w, Qt::Key_U);
            return BoardTest::outputParagraphs(w).contains(QStringLiteral("next command ran"));
        },
        10000);
    QVERIFY(ran);
    const QStringList followUp
        = followWithGo ? QStringList{"-q", "/tmp/game.rom"} : QStringList{"-q", "-u"};
    QCOMPARE(TestSupport::recordedRuns(), (QList<QStringList>{{"-r"}, followUp}));

    // A refused dump moved nothing: the next dialog starts where the last did.
    const BoardTest::FileDialogSeen next = BoardTest::nextDumpDialogStart(w);
    QCOMPARE(next.fileName, QStringLiteral("earlier.rom"));
}

void TestToolBusy::commandAfterAnEscapedTransfer()
{
    // Escape leaves the transfer's tool running; the next "Go" must not wait
    // for it in a dialog nobody can close.
    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    qputenv("JCP_SIM_SLEEP_MS", "4000");
    qputenv("JCP_SIM_STDOUT", "first transfer done");
    auto seen = BoardTest::inspectNextBusyDialog(w, BoardTest::pressEscape);
    BoardTest::clickGo(w);
    QVERIFY(seen->seen);

    DialogWatcher watcher;
    BoardTest::clickGo(w);
    QCOMPARE(watcher.count("QProgressDialog"), 0);
    QCOMPARE(BoardTest::outputParagraphs(w), QStringList{kBusyLine});
    QCOMPARE(TestSupport::recordedRuns().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(
        BoardTest::outputParagraphs(w).contains(QStringLiteral("first transfer done")), 10000);
}

VANTREL_TEST_MAIN(TestToolBusy)
#include "tst_toolbusy.moc"
