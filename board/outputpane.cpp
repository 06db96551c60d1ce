#include "board/outputpane.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

EndFollower::EndFollower(QAbstractScrollArea *view)
    : QObject(view)
{
    QScrollBar *bar = view->verticalScrollBar();
    // Whatever moves the view, the user or a range that shrank under it,
    // decides whether it follows; growth of the text is followed below.
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { following = value >= bar->maximum(); });
    // A hidden view lays its text out when shown again, and the range
    // changes then.
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar] {
        if (following)
            bar->setValue(bar->maximum());
    });
}
