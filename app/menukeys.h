#ifndef VANTREL_MENUKEYS_H
#define VANTREL_MENUKEYS_H

#include <QObject>

class QKeyEvent;
class QMainWindow;

// The keys of a window's menus do what the menus show, wherever the focus
// is: a text field takes no key that one of the window's actions has as its
// shortcut (line edits keep Ctrl+A and Ctrl+U for themselves otherwise, and
// Ctrl+U erases their text), and F10 opens the first menu, as on GNOME and
// KDE, where menus without access letters are reached no other way.
class MenuKeys : public QObject
{
    Q_OBJECT

public:
    explicit MenuKeys(QMainWindow *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isActionShortcut(const QKeyEvent *key) const;

    QMainWindow *window;
};

#endif
