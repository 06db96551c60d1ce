#include "app/mainwindow.h"
#include "tests/boardtest.h"
#include "tests/dialogwatcher.h"
#include "tests/testsupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <cerrno>
#include <cstring>

// Built three times, each in a folder of its own: with no jcp beside it,
// with a jcp that is not executable, and with a jcp that crashes.
#define TOOL_MISSING 1
#define TOOL_NOT_EXECUTABLE 2
#define TOOL_CRASHES 3
#ifndef VANTREL_TOOL_FAULT
#error "VANTREL_TOOL_FAULT must name the fault this build tests"
#endif

using TestSupport::child;

class TestToolFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyCommand_data();
    void everyCommand();

private:
    // Runs one command as the user gives it; false when its busy dialog was
    // still up after a generous wait and had to be closed by the test.
    bool give(QWidget *window, const QString &command);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startPath;
};

void TestToolFaults::init()
{
    TestSupport::startAsFirstRun();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_startPath = m_dir->filePath(QStringLiteral("earlier.rom"));
    QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
        .setValue(QStringLiteral("defdir"), m_startPath);
}

void TestToolFaults::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

bool TestToolFaults::give(QWidget *window, const QString &command)
{
    // A dialog left up by a start that never ends would block here for good.
    auto stuck = std::make_shared<bool>(false);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, this, [stuck] {
        QProgressDialog *dialog = BoardTest::busyDialog();
        if (dialog && dialog->isVisible()) {
            *stuck = true;
            dialog->hide();
        }
    });
    watchdog.start(15000);

    if (command == QLatin1String("Go")) {
        BoardTest::clickGo(window);
    } else if (command == QLatin1String("button")) {
        QTest::mouseClick(child<QPushButton>(window, "resetSkunk"), Qt::LeftButton);
    } else {
        const QChar key = command.back();
        if (key == QLatin1Char('1') || key == QLatin1Char('2'))
            BoardTest::answerNextFileDialog(m_dir->filePath(QStringLiteral("dump%1.rom").arg(key)));
        BoardTest::pressShortcut(window, Qt::Key(key.unicode()));
    }
    return !*stuck;
}

void TestToolFaults::everyCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("waits");

    QTest::newRow("Go") << "Go" << true;
    QTest::newRow("Reset Skunk button") << "button" << false;
    QTest::newRow("Ctrl+R") << "Ctrl+R" << false;
    QTest::newRow("Ctrl+S") << "Ctrl+S" << false;
    QTest::newRow("Ctrl+U") << "Ctrl+U" << true;
    QTest::newRow("Ctrl+1") << "Ctrl+1" << true;
    QTest::newRow("Ctrl+2") << "Ctrl+2" << true;
}

void TestToolFaults::everyCommand()
{
    QFETCH(QString, command);
    QFETCH(bool, waits);

    auto window = BoardTest::showWindow();
    QWidget *w = window.get();
    const QString dumpTarget = m_dir->filePath(QStringLiteral("dump%1.rom").arg(command.back()));
    const bool dump = command == QLatin1String("Ctrl+1") || command == QLatin1String("Ctrl+2");

#if VANTREL_TOOL_FAULT == TOOL_CRASHES
    // A crash is an end like any other: the dialog closes on it, and the
    // tool's own words are all the user gets.
    QVERIFY2(give(w, command), "the busy dialog stayed up after the tool crashed");
    QVERIFY(!BoardTest::busyDialog()->isVisible());
    if (waits) {
        // The waiting command returned only after the crash had been seen.
        QVERIFY(BoardTest::outputParagraphs(w).contains(QStringLiteral("partial output")));
    }
    QTRY_VERIFY(BoardTest::outputParagraphs(w).contains(QStringLiteral("partial output")));
    QCOMPARE(TestSupport::recordedRuns().size(), 1);
    const QString text = BoardTest::outputParagraphs(w).join(QLatin1Char('\n'));
    QVERIFY2(!text.contains(QStringLiteral("Could not start")), qPrintable(text));
    if (dump)
        QVERIFY(!QFile::exists(dumpTarget));
#else
    const QString toolPath = QCoreApplication::applicationDirPath() + QStringLiteral("/jcp");
#if VANTREL_TOOL_FAULT == TOOL_MISSING
    QVERIFY(!QFile::exists(toolPath));
    const QString reason = QString::fromLocal8Bit(std::strerror(ENOENT));
#else
    QVERIFY(QFile::exists(toolPath));
    QVERIFY(!(QFile::permissions(toolPath) & QFileDevice::ExeOwner));
    const QString reason = QString::fromLocal8Bit(std::strerror(EACCES));
#endif
    const QString expected = QStringLiteral("Could not start the flash tool %1: ").arg(toolPath);

    // Twice: a failed start leaves nothing behind that blocks the next one.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        DialogWatcher watcher;
        QVERIFY2(give(w, command), "the busy dialog stayed up after the tool failed to start");
        QVERIFY(!BoardTest::busyDialog()->isVisible());
        QTRY_COMPARE(BoardTest::outputParagraphs(w).size(), attempt);
        const QString line = BoardTest::outputParagraphs(w).last();
        QVERIFY2(line.startsWith(expected), qPrintable(line));
        QVERIFY2(line.endsWith(reason), qPrintable(line));
        if (!waits)
            QCOMPARE(watcher.count("QProgressDialog"), 0);
    }
    QCOMPARE(TestSupport::recordedRuns().size(), 0);
    if (dump) {
        // Nothing was written; the chosen path is still where the next
        // dialog starts, as after any dump that failed.
        QVERIFY(!QFile::exists(dumpTarget));
        const BoardTest::FileDialogSeen next = BoardTest::nextDumpDialogStart(w);
        QCOMPARE(next.directory, m_dir->path());
        QCOMPARE(next.fileName, dumpTarget.section(QLatin1Char('/'), -1));
    }
#endif
}

VANTREL_TEST_MAIN(TestToolFaults)
#include "tst_toolfaults.moc"
