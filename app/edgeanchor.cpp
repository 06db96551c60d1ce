#include "app/edgeanchor.h"

#include <QEvent>
#include <QWidget>

EdgeAnchor::EdgeAnchor(QWidget *widget)
    : QObject(widget)
    , widget(widget)
    , page(widget->parentWidget())
    , stack(page->parentWidget())
{
    // The pages' stack is resized with the window even while this page is
    // hidden; the page itself hears of it only once shown.
    for (QObject *watched : {static_cast<QObject *>(widget), static_cast<QObject *>(page),
                             static_cast<QObject *>(stack)})
        watched->installEventFilter(this);
}

bool EdgeAnchor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
        follow();
    return QObject::eventFilter(watched, event);
}

void EdgeAnchor::follow()
{
    const QSize room = stack->contentsRect().size();
    if (!widget || !stack->isVisible() || room.isEmpty())
        return;
    if (!measured) {
        measured = true;
        distance = room - QSize(widget->geometry().right() + 1, widget->geometry().bottom() + 1);
        return;
    }
    // Whoever placed the widget last (a larger font scales its drawn place)
    // keeps the corner; the size follows the page.
    const QSize size = room - distance - QSize(widget->x(), widget->y());
    if (widget->size() != size)
        widget->resize(size);
}
