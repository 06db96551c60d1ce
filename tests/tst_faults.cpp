// A flash tool that is missing, cannot be run, crashes or reads its input: the test runs
// from a folder of its own and puts such a jcp beside itself.
#include "tests/testsupport.h"

using namespace TestSupport;

class FaultsTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private slots:
    void faults_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("dialogs");
        // Only a tool that starts gets busy dialogs: Go's, the update's and the dump's.
        QTest::newRow("missing") << QByteArray() << 1;
        QTest::newRow("not executable") << QByteArray("#!/bin/sh\n") << 1;
        QTest::newRow("crashes") << QByteArray("#!/bin/sh\necho ended\nkill -SEGV $$\n") << 4;
        // Its input closed, it gets on; left open, it would wait forever.
        QTest::newRow("reads its input")
            << QByteArray("#!/bin/sh\ntimeout 2 cat && echo ended\n") << 4;
    }

    void faults()
    {
        QFETCH(QByteArray, script);
        const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/jcp");
        const bool starts = script.contains("ended");
        QFile::remove(tool);
        if (!script.isEmpty())
            writeFile(tool, script);
        QVERIFY(!starts || QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner));
        // The reason is the system's, in Qt's words.
        QProcess probe;
        probe.start(tool, {});
        const QString notice = QStringLiteral("Could not start the flash tool %1: %2")
                                   .arg(tool, probe.waitForStarted() ? "" : probe.errorString());
        probe.waitForFinished();

        QSettings().clear();
        auto window = showWindow();
        const QString dump = workPath(QStringLiteral("dump.rom"));
        DialogLog log;
        // Every command returns, and no dialog is left waiting for a run that never began.
        for (const QString how : {"press Go", "press Reset Skunk", "Ctrl+S", "Ctrl+U", "Ctrl+1"}) {
            if (how == "Ctrl+1")
                answer({dump});
            trigger(window.get(), how);
            waitIdle(window.get());
            QVERIFY(!QApplication::activeModalWidget());
        }
        const QString pane = find<QTextBrowser>("outputBrowser")->toPlainText();
        QTRY_COMPARE(pane.count(starts ? QStringLiteral("ended") : notice), 5);
        QCOMPARE(window->statusBar()->currentMessage(), starts ? QString() : notice);
        QTEST(int(log.shown.size()), "dialogs");
        // The dump's file is remembered, whether the tool ran or not.
        window.reset();
        QCOMPARE(QSettings().value("defdir").toString(), dump);
    }
};

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
