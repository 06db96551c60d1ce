// A run of the flash tool without the window: its output line by line into
// a pane as it is printed, a stop that keeps every line printed before it,
// and no descriptor left behind.
#include "board/outputfeed.h"
#include "board/toolrun.h"
#include "tests/testsupport.h"

#include <QSignalSpy>

#include <csignal>

using namespace TestSupport;

namespace {

// The pane's paragraphs parted by "|", the stand-in's banner as "jcp *".
QString shown(const QTextEdit &pane)
{
    return pane.toPlainText().replace('\n', '|').replace(QRegularExpression("^jcp [^|]*"), "jcp *");
}

} // namespace

class ToolRunTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private slots:
    void lines_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("ends");
        QTest::addColumn<QString>("whileRunning");
        QTest::addColumn<QString>("atTheEnd");
        // The tool is a shell command, or the stand-in with no board for
        // "jcp ...". It ends by itself, by Stop and Quit or by a SIGTERM of
        // someone else's, 1.3 s after the pane showed what it shows while
        // running, the program busy meanwhile. Paragraphs are parted by "|";
        // the stand-in's banner is "jcp *". A line is broken after 8
        // characters where the row says so.
        // clang-format off
        QTest::newRow("no board: the banner at once, then a line each") << "jcp -q -s" << "" << "jcp *||.. retrying .." << "jcp *||.. retrying ..|.. retrying ..|* Can't open EZ-HOST.|";
        QTest::newRow("Stop and Quit keeps what was printed") << "jcp -q -u" << "Stop and Quit" << "jcp *||Examining current board...|.. retrying .." << "jcp *||Examining current board...|.. retrying ..|.. retrying ..";
        QTest::newRow("SIGTERM keeps what was printed") << "jcp -r" << "SIGTERM" << "jcp *||Resetting jaguar...|.. retrying .." << "jcp *||Resetting jaguar...|.. retrying ..|.. retrying ..";
        QTest::newRow("a line in two pieces shows, then is completed") << "printf Send; sleep 0.5; echo ing" << "" << "Send" << "Sending";
        QTest::newRow("each channel completes its own line") << "printf out; sleep 0.1; printf err >&2; sleep 0.5; echo ' 1'; echo ' 2' >&2" << "" << "out|err" << "out 1|err 2";
        QTest::newRow("blank lines stay, spinner lines go") << "printf 'a\\n\\n|\\b|\\b\\n  b \\tc\\n'; sleep 0.5" << "" << "a||b c" << "a||b c";
        QTest::newRow("a long line is broken, in place too") << "printf 1234; sleep 0.5; echo 56789abcdefghij" << "" << "1234" << "12345678|9abcdefg|hij";
        QTest::newRow("latin-1 and markup as printed") << "printf 'caf\\351 <b>x</b>\\n'; sleep 0.5" << "" << "café <b>x</b>" << "café <b>x</b>";
        // clang-format on
    }
    void lines()
    {
        QFETCH(QString, tool);
        QFETCH(QString, ends);
        QFETCH(QString, whileRunning);
        QFETCH(QString, atTheEnd);
        qputenv("JCP_SIM_NO_BOARD", "1");
        QTextEdit pane;
        pane.show();
        OutputFeed::Limits limits;
        limits.perTurn
            = QByteArray(QTest::currentDataTag()).contains("broken") ? 8 : limits.perTurn;
        const bool standIn = tool.startsWith("jcp ");
        ToolRun run(standIn ? QCoreApplication::applicationDirPath() + "/jcp" : "/bin/sh");
        connect(&run, &ToolRun::output, new OutputFeed(&pane, limits), &OutputFeed::addOutput);
        QSignalSpy finished(&run, &ToolRun::finished);
        QVERIFY(run.start(standIn ? tool.split(' ').mid(1) : QStringList{"-c", tool}));
        QTRY_COMPARE_WITH_TIMEOUT(shown(pane), whileRunning, 900);
        QVERIFY(run.isBusy());
        // Blocked, so that what the tool prints meanwhile waits unread.
        if (!ends.isEmpty())
            QTest::qSleep(1300);
        // Stopped, all of it is there before the window closes.
        if (ends == "Stop and Quit") {
            run.stop();
            QCOMPARE(shown(pane), atTheEnd);
        }
        if (ends == "SIGTERM")
            ::kill(pid_t(run.findChild<QProcess *>()->processId()), SIGTERM);
        QVERIFY(finished.size() == 1 || finished.wait(5000));
        QTRY_COMPARE(shown(pane), atTheEnd);
        QCOMPARE(finished.size(), 1);
    }

    // The pane's paragraphs and its bound.
    void pane_data()
    {
        // Each text is added alone; the pane as it is at once, after some
        // turns of the event loop while hidden, and once shown ("=" for as
        // before). Paragraphs are parted by "|", the note is [paragraphs
        // characters].
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("limits"); // characters, paragraphs, per turn, hidden
        QTest::addColumn<QString>("pane");
        const QStringList lines = QString("one two three four five six seven").split(' ');
        const QString all = lines.join('|');
        const int n = 999;
        // clang-format off
        QTest::newRow("as append, empty ones too") << QStringList{"", "", "a", "", "b"} << QList<int>{n, n, n, n} << "a||b / = / =";
        QTest::newRow("just within the bound") << lines << QList<int>{34, 7, n, n} << all + " / = / =";
        QTest::newRow("characters over") << (lines + lines) << QList<int>{30, n, n, n} << "[9 33] / [9 33]|three|four|five|six|seven / =";
        QTest::newRow("paragraphs over") << (lines + QStringList(9, "") + QStringList{"end"}) << QList<int>{n, 8, n, n} << "[9 27] / [9 27]||||||||end / =";
        QTest::newRow("newest alone over") << QStringList{"abc", QString(50, 'z')} << QList<int>{40, n, n, n} << "[1 3] / [1 3]|" + QString(50, 'z') + " / =";
        QTest::newRow("over twice") << QStringList(40, "abcde") << QList<int>{40, n, n, n} << "[34 170] / [34 170]" + QString("|abcde").repeated(6) + " / =";
        QTest::newRow("long text, turn by turn") << QStringList{"x", QString(20, 'y') + 'z'} << QList<int>{n, n, 8, n} << "x / x|yyyyyyyy|yyyyyyyy|yyyyz / =";
        QTest::newRow("hidden, then shown") << (lines + lines + lines) << QList<int>{n, n, 6, 10} << "one / one|two|three / " + all + '|' + all + '|' + all;
        QTest::newRow("hidden, over the bound") << (lines + lines + lines) << QList<int>{40, n, 6, 10} << "[15 57] / = / [15 57]|two|three|four|five|six|seven";
        // clang-format on
    }

    void pane()
    {
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, limits);
        QTextEdit view;
        auto *feed = new OutputFeed(&view, {limits[0], limits[1], limits[2], limits[3]});
        for (const QString &text : texts)
            feed->add({text});
        QStringList seen{view.toPlainText()};
        for (const int shown : {0, 1}) {
            view.setVisible(shown);
            QTest::qWait(60);
            seen << view.toPlainText();
        }
        for (qsizetype i = seen.size() - 1; i > 0; --i)
            seen[i] = seen[i] == seen[i - 1] ? "=" : seen[i];
        const QRegularExpression note(
            "Earlier output left out: (\\d+) paragraphs, (\\d+) characters\\.");
        QTEST(seen.join(" / ").replace('\n', '|').replace(note, "[\\1 \\2]"), "pane");
    }

    void descriptors()
    {
        // The tool's standard output is a raw terminal, and no other
        // descriptor of the tool is one; nothing of a run stays open here.
        const auto open = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
        QTextEdit pane;
        auto *feed = new OutputFeed(&pane);
        ToolRun run(QStringLiteral("/bin/sh"));
        connect(&run, &ToolRun::output, feed, &OutputFeed::addOutput);
        qsizetype afterOne = 0;
        for (int i = 1; i <= 100; ++i) {
            QSignalSpy finished(&run, &ToolRun::finished);
            QVERIFY(run.start({"-c",
                               "stty -a -F $(readlink /proc/$$/fd/1) | grep -ow -e -opost -e -echo "
                               "| tr '\\n' ' ';"
                               "ls -l /proc/$$/fd | grep -o ' [0-9]* -> /dev/pt.*'"}));
            // At once: nothing of the terminal is left open to wait for.
            QVERIFY(finished.wait(1500));
            afterOne = i == 1 ? open() : afterOne;
        }
        QCOMPARE(open(), afterOne);
        const QString seen = pane.document()->lastBlock().text();
        QVERIFY2(QRegularExpression("^-opost -echo 1 -> /dev/pts/\\d+$").match(seen).hasMatch(),
                 qPrintable(seen));
    }
};

QTEST_MAIN(ToolRunTest)
#include "tst_toolrun.moc"
