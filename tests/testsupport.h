#ifndef VANTREL_TESTSUPPORT_H
#define VANTREL_TESTSUPPORT_H

#include "app/mainwindow.h"

#include <QTest>
#include <QtWidgets>

#include <functional>
#include <memory>

namespace TestSupport {

// For a test's initMain(): settings, the simulated board's state and its
// record of runs go to a fresh temporary folder; the board works at once.
void isolate();
QString workPath(const QString &name);
QString writeFile(const QString &name, const QByteArray &data);

// Replaces the stored settings with `values`; reads one of them.
void storeSettings(const QVariantMap &values);
QVariant setting(const char *key);

// The simulated board's runs since clearRuns(): each argument list as passed.
QList<QStringList> runs();
void clearRuns();

// Later runs wait after their first line of output until release().
void hold();
void release();

std::unique_ptr<MainWindow> showWindow();
// Ctrl+key on the window, brought to the front first as a desktop does.
void press(QWidget *window, Qt::Key key);
// Runs `act` on the next modal widget once it is up; arm it before opening.
void onNextModal(const std::function<void(QWidget *)> &act);
// One key event per character, so that names outside ASCII arrive intact.
void typeText(QWidget *widget, const QString &text);
// Puts `path` into the open file dialog's name field and presses Return.
void answerFileDialog(QWidget *dialog, const QString &path);

// A widget of the top-level windows by name; none is a fatal error.
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
