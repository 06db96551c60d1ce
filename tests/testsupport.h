#ifndef VANTREL_TESTSUPPORT_H
#define VANTREL_TESTSUPPORT_H

#include "app/mainwindow.h"

#include <QTest>
#include <QtWidgets>

#include <functional>
#include <memory>

namespace TestSupport {

// For a test's initMain(): settings (QSettings() is Vantrel's), the simulated
// board's state and its record of runs go to a fresh temporary folder; the
// board works at once.
void isolate();
// A name in that folder; an absolute path stays as it is.
QString workPath(const QString &name);
QString writeFile(const QString &name, const QByteArray &data);
// The simulated board's runs, each argument list as passed.
QList<QStringList> runs();
// Later runs wait after their first line of output until release().
void hold();
void release();

std::unique_ptr<MainWindow> showWindow();
// Ctrl+key on the window, brought to the front first as a desktop does.
void press(QWidget *window, Qt::Key key);
// Runs `act` on the next modal widget once it is up; arm it before opening.
// Its QTimer, named "modalAnswer", waits until then: a test's cleanup()
// deletes those left by a dialog that never came.
void onNextModal(const std::function<void(QWidget *)> &act);
// Puts `path` into the open file dialog's name field and presses Return;
// an empty path cancels the dialog.
void answerFileDialog(QWidget *dialog, const QString &path);

// A widget of the top-level windows by name; none is a fatal error.
template<typename T>
T *find(const char *name)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (T *found = top->findChild<T *>(QLatin1String(name)))
            return found;
    }
    qFatal("no %s named %s", T::staticMetaObject.className(), name);
}

} // namespace TestSupport

#endif
