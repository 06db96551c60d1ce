#include "app/menukeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QShortcut>

#include <algorithm>

MenuKeys::MenuKeys(QMainWindow *window)
    : QObject(window)
    , window(window)
{
    // A focused widget claims a key before shortcuts see it, through the
    // override event sent to it; the application sees that event first.
    qApp->installEventFilter(this);
    auto *firstMenu = new QShortcut(QKeySequence(Qt::Key_F10), window);
    connect(firstMenu, &QShortcut::activated, window, [window] {
        const QList<QAction *> menus = window->menuBar()->actions();
        if (!menus.isEmpty())
            window->menuBar()->setActiveAction(menus.first());
    });
}

bool MenuKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == window
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
