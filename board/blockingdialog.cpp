#include "board/blockingdialog.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

namespace {

// Hands the keyboard back to the window a dialog blocked. When the dialog
// closes a few milliseconds after it was shown, it is hidden before the
// window manager has acted on its activation: the window manager leaves the
// focus with the window, but Qt may hear of the dialog's activation only
// afterwards, and sends every key to the hidden dialog. Without a window
// manager, the focus of a hidden dialog falls to the root window instead.
// Either way the keys go nowhere until the user clicks.
class FocusReturn : public QObject
{
    Q_OBJECT

public:
    FocusReturn(QDialog *dialog, QWidget *window)
        : QObject(dialog)
        , dialog(dialog)
        , window(window)
    {
        dialog->installEventFilter(this);
        connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focus) {
            if (focus && focus == this->dialog->windowHandle() && !this->dialog->isVisible())
                handBack();
        });
    }

    // After the dialog has closed: a window the user was working in takes
    // the keyboard back; one the user had left stays left.
    void closed()
    {
        if (hadKeyboard)
            handBack();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == dialog && event->type() == QEvent::Hide)
            hadKeyboard = QGuiApplication::focusWindow() != nullptr;
        return false;
    }

private:
    void handBack()
    {
        if (window && window->isVisible())
            window->activateWindow();
    }

    QDialog *dialog;
    QPointer<QWidget> window;
    bool hadKeyboard = false;
};

} // namespace

void execBlocking(QDialog &dialog, QWidget *window)
{
    auto *focusReturn = dialog.findChild<FocusReturn *>(QString(), Qt::FindDirectChildrenOnly);
    if (!focusReturn)
        focusReturn = new FocusReturn(&dialog, window);

    // A window-modal dialog without a parent widget blocks no window at all:
    // the window would take "Quit" or another command while an operation
    // waits, and quitting then left the process running with no window.
    // Tied to the window, the dialog blocks it as intended. The tie is undone
    // afterwards: while it lasts, the window cannot be activated again, even
    // with the dialog hidden.
    dialog.winId();
    dialog.windowHandle()->setTransientParent(window->windowHandle());
    dialog.exec();
    dialog.windowHandle()->setTransientParent(nullptr);
    focusReturn->closed();
}

#include "blockingdialog.moc"
