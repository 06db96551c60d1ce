#ifndef VANTREL_TESTSUPPORT_H
#define VANTREL_TESTSUPPORT_H

#include "app/mainwindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>

namespace TestSupport {

// Points settings (XDG_CONFIG_HOME), the stand-in board's state
// (JCP_SIM_STATE_DIR) and its argument record (JCP_SIM_RECORD) into a fresh
// temporary folder. Must run before the application object exists.
void isolateEnvironment(QTemporaryDir &dir);

// Forgets the stored Vantrel settings.
void clearSettings();

// The file the stand-in tool appends one record per run to.
QString recordFile();

// Every argument list the stand-in tool received since the last
// clearRecordedRuns(), one entry per run, arguments exactly as passed.
QList<QStringList> recordedRuns();
void clearRecordedRuns();

// Forgets every JCP_SIM_* setting that tells the stand-in to sleep, print or
// fail, so the next run behaves as a plain simulated board.
void resetToolBehaviour();

// Forgets the stored settings, the stand-in's behaviour settings and its
// recorded runs, so a test starts as a first run on a plain board.
void startAsFirstRun();

// A new main window, shown and active.
std::unique_ptr<MainWindow> showWindow();

// Runs `action` on the next visible modal widget that `accept` takes (by
// default any), polling every 10 ms until `timeoutMs` has passed. Call it
// before the call that opens the dialog.
void onNextModal(const std::function<void(QWidget *)> &action,
                 const std::function<bool(QWidget *)> &accept = {}, int timeoutMs = 10000);

template<typename Dialog>
void onNextDialog(const std::function<void(Dialog *)> &action, int timeoutMs = 10000)
{
    onNextModal([action](QWidget *w) { action(qobject_cast<Dialog *>(w)); },
                [](QWidget *w) { return qobject_cast<Dialog *>(w) != nullptr; }, timeoutMs);
}

// Finds a child of the window by object name and class, failing loudly when
// it is missing.
template<typename T>
T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// Types text one character per key event, the way a keyboard or an input
// method delivers it, so names outside Latin-1 arrive intact.
void typeText(QWidget *widget, const QString &text);

// Answers an open file dialog as a user does: gives its name field the
// keyboard, types `path` over what it held and presses Return until the
// dialog takes it. Returns false, with the dialog rejected, when the dialog
// would not take the name, so a test fails instead of waiting forever.
bool typeIntoFileDialog(QFileDialog *dialog, const QString &path);

// Top-level widgets that are still visible; a test's cleanup checks that no
// dialog was left open.
QList<QWidget *> visibleTopLevels();

} // namespace TestSupport

// Like QTEST_MAIN, but isolates the environment before the application
// object is built.
#define VANTREL_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QTemporaryDir environmentDir;                                                              \
        TestSupport::isolateEnvironment(environmentDir);                                           \
        QApplication app(argc, argv);                                                              \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

#endif
