// A flash tool that is missing, cannot be run, or crashes: the test runs
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
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << "No such file or directory";
        QTest::newRow("not executable") << QByteArray("#!/bin/sh\n") << "Permission denied";
        QTest::newRow("crashes") << QByteArray("#!/bin/sh\necho dying\nkill -SEGV $$\n") << "";
    }

    void faults()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, reason);
        const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/jcp");
        QFile::remove(tool);
        if (!script.isEmpty())
            writeFile(tool, script);
        if (reason.isEmpty())
            QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner));

        const auto window = showWindow();
        const QString notice
            = QStringLiteral("Could not start the flash tool %1: execvp: %2").arg(tool, reason);
        // Go returns once its busy dialog has closed; a reset has none.
        QTest::mouseClick(find<QPushButton>("doTransfer"), Qt::LeftButton);
        QVERIFY(!QApplication::activeModalWidget());
        QTest::mouseClick(find<QPushButton>("resetSkunk"), Qt::LeftButton);
        const QString expected = reason.isEmpty() ? QStringLiteral("dying") : notice;
        QTRY_COMPARE(find<QTextBrowser>("outputBrowser")->toPlainText().count(expected), 2);
        QCOMPARE(window->statusBar()->currentMessage(), reason.isEmpty() ? QString() : notice);
    }
};

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
