#ifndef VANTREL_BOARDTEST_H
#define VANTREL_BOARDTEST_H

#include "app/mainwindow.h"
#include "tests/testsupport.h"

#include <QFileDialog>
#include <QProgressDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Helpers for the board operation tests: they drive the real window the way a
// user does and look at what the user would see.
namespace BoardTest {

using TestSupport::showWindow;

// The paragraphs of the output pane, in order.
QStringList outputParagraphs(QWidget *window);

// The window's busy dialog, shown or not.
QProgressDialog *busyDialog();

// Presses Ctrl with `key` on the window, as a menu shortcut. Brings the
// window to the front first, as a desktop does after a dialog has closed;
// with no window manager nobody else does.
void pressShortcut(QWidget *window, Qt::Key key);

// Clicks "Go"; returns once the transfer has returned.
void clickGo(QWidget *window);

// Clicks a check box on its indicator: a check box laid out wider than its
// text does not react to a click on its empty right part.
void clickCheckBox(QWidget *window, const char *checkBoxName);

// Clicks the check box in the title of the "Is Flash?" group.
void clickIsFlash(QWidget *window);

// Types a path into a line edit by hand, replacing what it held.
void typeInto(QWidget *window, const char *lineEditName, const QString &text);

// Where a file dialog started and what it offered.
struct FileDialogSeen
{
    bool seen = false;
    QString caption;
    QString directory;
    QString fileName;
    QStringList nameFilters;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QWidget *parent = nullptr;

    // The path the dialog offered: its folder and the name in its field.
    QString path() const { return directory + QLatin1Char('/') + fileName; }
};

// Arms the next file dialog: types `path` into its file name field and
// presses Return. With `confirmReplace`, answers the dialog's own question
// about replacing an existing file with Yes. `afterAccept` runs once the
// dialog has taken the name, before the window goes on with it.
std::shared_ptr<FileDialogSeen> answerNextFileDialog(const QString &path,
                                                     bool confirmReplace = false,
                                                     const std::function<void()> &afterAccept = {});

// Arms the next file dialog to be closed with Escape.
std::shared_ptr<FileDialogSeen> cancelNextFileDialog();

// Where the next dump's save dialog starts (it is cancelled at once).
FileDialogSeen nextDumpDialogStart(QWidget *window);

// What the busy dialog showed while it was up.
struct BusyDialogSeen
{
    bool seen = false;
    bool visible = false;
    QString title;
    QString label;
    bool hasCancelButton = false;
    int minimum = -1;
    int maximum = -1;
    Qt::WindowModality modality = Qt::NonModal;
    qsizetype runsStarted = 0;
    QStringList paneWhileUp;
};

// Arms the next busy dialog: notes what it shows once the tool has started,
// then hands it to `then` (which may close it early).
std::shared_ptr<BusyDialogSeen>
inspectNextBusyDialog(QWidget *window, const std::function<void(QProgressDialog *)> &then = {});

// Ends the busy dialog as a user would with the Escape key.
void pressEscape(QProgressDialog *dialog);

} // namespace BoardTest

#endif
