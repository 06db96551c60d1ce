#include "app/mainwindow.h"
#include "tests/testsupport.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QWindow>

#include <memory>

using TestSupport::child;
using TestSupport::showWindow;

// While an operation waits in the busy dialog, the main window takes no
// input: a second command, or "Quit", must not reach the waiting window.
class TestBusyModal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowTakesNoInputWhileBusy_data();
    void windowTakesNoInputWhileBusy();
};

void TestBusyModal::init()
{
    TestSupport::startAsFirstRun();
}

void TestBusyModal::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

void TestBusyModal::windowTakesNoInputWhileBusy_data()
{
    QTest::addColumn<QString>("attempt");
    QTest::newRow("Quit by Ctrl+Q") << "Ctrl+Q";
    QTest::newRow("Reset Skunk button") << "reset button";
    QTest::newRow("Go again") << "Go";
    QTest::newRow("serial by Ctrl+S") << "Ctrl+S";
}

void TestBusyModal::windowTakesNoInputWhileBusy()
{
    QFETCH(QString, attempt);

    auto window = showWindow();
    MainWindow *w = window.get();
    qputenv("JCP_SIM_SLEEP_MS", "1500");
    qputenv("JCP_SIM_STDOUT", "transfer done");

    // Input is sent to the window the way the window system delivers it, so
    // that modality applies, as it does to a user's clicks and keys.
    QWindow *handle = w->windowHandle();
    const auto clickButton = [w, handle](const char *name) {
        auto *button = child<QPushButton>(w, name);
        QTest::mouseClick(handle, Qt::LeftButton, {}, button->mapTo(w, button->rect().center()));
    };
    bool dialogWasModal = false;
    bool windowVisibleWhileBusy = false;
    TestSupport::onNextDialog<QProgressDialog>([&](QProgressDialog *dialog) {
        dialogWasModal = QApplication::activeModalWidget() == dialog;
        // The user turns to the main window, as a click on its frame would
        // (a blocked window may refuse to become active; that is fine).
        handle->requestActivate();
        if (!QTest::qWaitFor([handle] { return handle->isActive(); }, 500))
            qInfo("the blocked main window stayed inactive");
        if (attempt == QLatin1String("Ctrl+Q"))
            QTest::keyClick(handle, Qt::Key_Q, Qt::ControlModifier);
        else if (attempt == QLatin1String("Ctrl+S"))
            QTest::keyClick(handle, Qt::Key_S, Qt::ControlModifier);
        else if (attempt == QLatin1String("Go"))
            clickButton("doTransfer");
        else
            clickButton("resetSkunk");
        windowVisibleWhileBusy = w->isVisible();
    });
    clickButton("doTransfer");

    QVERIFY(dialogWasModal);
    // Nothing reached the window: it is still open, no second run started
    // and nothing was refused, since nothing arrived to refuse.
    QVERIFY(windowVisibleWhileBusy);
    QVERIFY(w->isVisible());
    QCOMPARE(TestSupport::recordedRuns().size(), 1);
    const QString pane = child<QTextBrowser>(w, "outputBrowser")->toPlainText();
    QVERIFY2(!pane.contains(QStringLiteral("still busy")), qPrintable(pane));
    QVERIFY(pane.contains(QStringLiteral("transfer done")));

    // Once the dialog is gone, the window answers again (a window manager
    // hands it the focus back; the test does that itself).
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    qputenv("JCP_SIM_STDOUT", "serial read");
    QTest::keyClick(handle, Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(child<QTextBrowser>(w, "outputBrowser")
                    ->toPlainText()
                    .contains(QStringLiteral("serial read")));
    QCOMPARE(TestSupport::recordedRuns().size(), 2);
    window->close();
}

VANTREL_TEST_MAIN(TestBusyModal)
#include "tst_busymodal.moc"
