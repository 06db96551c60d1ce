// A flash tool that is missing, cannot be run, or crashes: the test runs
// from a folder of its own and puts such a jcp beside itself.
#include "tests/testsupport.h"

#include <QtWidgets>

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
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("missing") << QByteArray() << true << "No such file or directory";
        QTest::newRow("not executable") << QByteArray("#!/bin/sh\n") << false << "Permission denied";
        QTest::newRow("crashes") << QByteArray("#!/bin/sh\necho dying\nkill -SEGV $$\n") << true << "";
        // clang-format on
    }

    void faults()
    {
        QFETCH(QByteArray, script);
        QFETCH(bool, executable);
        QFETCH(QString, reason);
        QFile tool(QCoreApplication::applicationDirPath() + QStringLiteral("/jcp"));
        tool.remove();
        if (!script.isEmpty()) {
            QVERIFY(tool.open(QIODevice::WriteOnly) && tool.write(script) == script.size());
            tool.close();
            QVERIFY(tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner
                                        | (executable ? QFile::ExeOwner : QFile::Permissions())));
        }

        const auto window = showWindow();
        auto *pane = find<QTextBrowser>("outputBrowser");
        const QString notice = QStringLiteral("Could not start the flash tool %1: execvp: %2")
                                   .arg(tool.fileName(), reason);
        // Go returns once its busy dialog has closed; a reset has none.
        find<QLineEdit>("filenameEdit")->setText(QStringLiteral("game.bin"));
        QTest::mouseClick(find<QPushButton>("doTransfer"), Qt::LeftButton);
        QVERIFY(!QApplication::activeModalWidget());
        QTest::mouseClick(find<QPushButton>("resetSkunk"), Qt::LeftButton);
        const QString expected = reason.isEmpty() ? QStringLiteral("dying") : notice;
        QTRY_COMPARE(pane->toPlainText().count(expected), 2);
        QCOMPARE(window->statusBar()->currentMessage(), reason.isEmpty() ? QString() : notice);
    }
};

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
