// A flash tool that floods both channels during a transfer: the window keeps
// answering, the busy dialog closes when the tool ends, and the pane keeps
// the newest output within its bound.
#include "board/outputfeed.h"
#include "tests/testsupport.h"

using namespace TestSupport;

class FloodTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private slots:
    void flood_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("pane in front") << 1;
        QTest::newRow("pane behind, shown afterwards") << 0;
    }

    void flood()
    {
        QFETCH(int, tab);
        qputenv("JCP_SIM_FLOOD_STDOUT", "1500000");
        qputenv("JCP_SIM_FLOOD_STDERR", "1500000");
        const auto window = showWindow();
        auto *pane = find<QTextBrowser>("outputBrowser");
        QTabBar *tabs = find<QTabWidget>("tabWidget")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        auto *process = window->findChild<QProcess *>();

        // Counts the turns of the event loop while the flood goes on.
        int turns = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            turns += process->state() == QProcess::Running
                && pane->document()->lastBlock().text().contains(QLatin1String(" retry "));
        });
        watch.start(1);
        find<QLineEdit>("filenameEdit")->setText(writeFile("game.rom", QByteArray(1024, 'x')));
        QTest::mouseClick(find<QPushButton>("doTransfer"), Qt::LeftButton);
        watch.stop();
        // It returns as the busy dialog closes, once the tool has ended.
        QVERIFY(turns > 0 && process->state() == QProcess::NotRunning);

        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        // The newest output, the tool's last words among it, is all there.
        QTRY_COMPARE(pane->toPlainText().count(QLatin1String("last line of the flood")), 2);
        const QString text = pane->toPlainText();
        QVERIFY(text.contains(QLatin1String("Transfer complete: 1024 bytes"))
                && text.startsWith(QLatin1String("Earlier output left out: ")));
        QVERIFY(pane->document()->characterCount() < OutputFeed::Limits().characters + 100);
    }
};

QTEST_MAIN(FloodTest)
#include "tst_flood.moc"
