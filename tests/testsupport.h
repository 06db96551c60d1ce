#ifndef VANTREL_TESTSUPPORT_H
#define VANTREL_TESTSUPPORT_H

#include "app/mainwindow.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTest>
#include <QVariant>

#include <functional>
#include <memory>

namespace TestSupport {

// Points settings, the simulated board's state and its argument record into
// a fresh temporary folder, and makes the board work without delay. For a
// test's static initMain(), before the application object exists.
void isolate();

// A path in that folder, and a file written there.
QString workPath(const QString &name);
QString writeFile(const QString &name, const QByteArray &data);

// Replaces the stored settings with `values`; reads one of them.
void storeSettings(const QVariantMap &values);
QVariant setting(const char *key);

// The argument lists the simulated board received since clearRuns(), one
// per run, exactly as passed.
QList<QStringList> runs();
void clearRuns();

// Makes the simulated board's later runs wait after their first line of
// output until release().
void hold();
void release();

// A main window, shown and active.
std::unique_ptr<MainWindow> showWindow();

// Ctrl with `key` on the window, brought to the front first as a desktop
// does once a dialog has closed.
void press(QWidget *window, Qt::Key key);

// Runs `act` on the next modal widget once it is up. Call before the call
// that opens it.
void onNextModal(const std::function<void(QWidget *)> &act);

// Types text one key event per character, as a keyboard or an input method
// delivers it, so that names outside ASCII arrive intact.
void typeText(QWidget *widget, const QString &text);

// Types `path` into the name field of the file dialog that is up and presses
// Return, as a user does.
void answerFileDialog(QWidget *dialog, const QString &path);

// A widget of the top-level windows by object name, failing loudly when there
// is none.
template<typename T>
T *find(const char *name)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (T *found = top->findChild<T *>(QString::fromLatin1(name)))
            return found;
    }
    qFatal("no %s named %s", T::staticMetaObject.className(), name);
}

} // namespace TestSupport

#endif
