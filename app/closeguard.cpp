#include "app/closeguard.h"

#include "board/toolrun.h"

#include <QEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

CloseGuard::CloseGuard(QMainWindow *window, ToolRun *run)
    : QObject(window)
    , window(window)
    , run(run)
{
    window->installEventFilter(this);
    connect(run, &ToolRun::finished, this, &CloseGuard::toolEnded);
}

bool CloseGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != window || event->type() != QEvent::Close || !run->isBusy())
        return QObject::eventFilter(watched, event);
    event->ignore();
    if (!question && !waiting)
        ask();
    return true;
}

void CloseGuard::ask()
{
    question = new QMessageBox(
        QMessageBox::Warning, tr("Vantrel"),
        tr("The flash tool is still running. Stopping it now can leave the board's flash or "
           "firmware half written.\n\nWait for it to finish before closing, or stop it and quit?"),
        QMessageBox::NoButton, window);
    question->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *wait = question->addButton(tr("Wait"), QMessageBox::AcceptRole);
    QPushButton *stop = question->addButton(tr("Stop and Quit"), QMessageBox::DestructiveRole);
    QPushButton *cancel = question->addButton(QMessageBox::Cancel);
    question->setDefaultButton(wait);
    question->setEscapeButton(cancel);
    connect(question, &QMessageBox::buttonClicked, this,
            [this, wait, stop](QAbstractButton *button) {
                if (button == wait) {
                    waitForTool();
                } else if (button == stop) {
                    run->stop();
                    window->close();
                }
            });
    question->open();
}

void CloseGuard::waitForTool()
{
    waiting = new QProgressDialog(
        tr("Waiting for the flash tool to finish; Vantrel closes when it does."), tr("Cancel"), 0,
        0, window);
    waiting->setWindowTitle(tr("Vantrel"));
    waiting->setWindowModality(Qt::WindowModal);
    waiting->setMinimumDuration(0);
    connect(waiting, &QProgressDialog::canceled, waiting, &QObject::deleteLater);
    waiting->show();
}

void CloseGuard::toolEnded()
{
    // A close that waited for the tool goes on now, as if none had run.
    if (!question && !waiting)
        return;
    if (question) {
        question->disconnect(this);
        question->close();
    }
    if (waiting)
        waiting->deleteLater();
    window->close();
}
