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
// A name in that folder (its folders made); an absolute path stays as it is.
QString workPath(const QString &name);
QString writeFile(const QString &name, const QByteArray &data);
// The simulated board's runs: arguments joined by "|", runs by " ".
QString runs();
// Later runs wait after their first line of output until release().
void hold();
void release();

std::unique_ptr<MainWindow> showWindow();
// Ctrl+key on the window, brought to the front first as a desktop does.
void press(QWidget *window, Qt::Key key);
// Acts as a user does: "^X" presses Ctrl+X; "name=text" types into that
// field; "Menu/Entry" clicks through the menu bar; "space:name" presses space
// on that widget; "name" clicks it, "slip:name" presses on it and lets go
// off it.
void trigger(QWidget *window, const QString &how);
void chooseMenuEntry(QMenuBar *bar, const QString &path);
// Waits until the window's flash tool has ended.
void waitIdle(QWidget *window);
// Runs `act` on the next modal widget once it is up; arm it before opening.
// Its QTimer, named "modalAnswer", waits until then: a test's cleanup()
// deletes those left by a dialog that never came.
void onNextModal(const std::function<void(QWidget *)> &act);
// Puts `path` into the file dialog's name field and presses Return; an empty
// path cancels the dialog.
void answerFileDialog(QWidget *dialog, const QString &path);
// The options panel in letters: the enabled ones of the address field (o),
// the skip field (h), the bank buttons (1 2 6) and "Dump ROM Bank 2" (d);
// F for "Is Flash?", r and w for the two Tools switches when checked; after
// the colon the checked bank.
QString panelState();

// Every dialog of Vantrel's as it is shown: file dialogs by caption, filter
// and the existing file they start at, busy dialogs by title, label and whether they can be
// cancelled, message boxes by title and text. A busy dialog still up after 5 s is closed and logged
// as stuck.
class DialogLog : public QObject
{
public:
    DialogLog();
    QStringList shown;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

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
