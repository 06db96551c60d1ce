#include "app/focuschain.h"

#include <QWidget>

namespace {

QWidget *focusTaker(QWidget *widget)
{
    while (widget->focusProxy())
        widget = widget->focusProxy();
    return widget;
}

} // namespace

void linkFocusChain(const QList<QWidget *> &widgets)
{
    // Qt 6.4 treats a widget whose focus proxy is its own child (a tab
    // widget and its tab bar) as one block spanning all its descendants, and
    // linking the next widget after that block cuts the options page out of
    // the chain. Linking the proxies themselves keeps every widget reachable.
    for (qsizetype i = 0; i + 1 < widgets.size(); ++i)
        QWidget::setTabOrder(focusTaker(widgets.at(i)), focusTaker(widgets.at(i + 1)));
}
