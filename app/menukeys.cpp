#include "app/menukeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

#include <algorithm>

MenuKeys::MenuKeys(QMainWindow *window)
    : QObject(window)
    , window(window)
{
    // A focused widget claims a key before shortcuts see it, through the
    // override event sent to it; the application sees that event first.
    qApp->installEventFilter(this);
}

bool MenuKeys::eventFilter(QObject *watched, QEvent *event)
{
    const bool ours
        = watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == window;
    const auto *key = static_cast<QKeyEvent *>(event);
    // Taken as the key is pressed, not as a shortcut: Qt 6.11 highlights a
    // menu made active from a shortcut's handler without opening it.
    if (ours && event->type() == QEvent::KeyPress && key->key() == Qt::Key_F10
        && key->modifiers() == Qt::NoModifier && !window->menuBar()->actions().isEmpty()) {
        window->menuBar()->setActiveAction(window->menuBar()->actions().first());
        return true;
    }
    if (ours && event->type() == QEvent::ShortcutOverride
        && isActionShortcut(static_cast<QKeyEvent *>(event))) {
        // Not claimed by the widget or any of its parents: the key goes to
        // the action.
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool MenuKeys::isActionShortcut(const QKeyEvent *key) const
{
    const QKeySequence pressed(
        QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
    const QList<QAction *> actions = window->findChildren<QAction *>();
    return std::any_of(actions.cbegin(), actions.cend(), [&pressed](const QAction *action) {
        return !action->shortcut().isEmpty() && action->shortcut() == pressed;
    });
}
