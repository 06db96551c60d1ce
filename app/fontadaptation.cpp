#include "app/fontadaptation.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QEvent>
#include <QHash>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabWidget>

#include <algorithm>

namespace {

// Whether a button's label is wider or taller than the room its style gives
// the label: a button's size hint holds margins beyond the label, so a button
// slightly smaller than its hint still shows its whole text.
bool clipsLabel(const QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QStyle::SubElement label = qobject_cast<const QPushButton *>(button)
        ? QStyle::SE_PushButtonContents
        : qobject_cast<const QRadioButton *>(button) ? QStyle::SE_RadioButtonContents
                                                     : QStyle::SE_CheckBoxContents;
    const QSize room = button->style()->subElementRect(label, &option, button).size();
    const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    return text.width() > room.width() || text.height() > room.height();
}

// A laid out container needs its layout's preferred size, a group box its
// title; what a scroll area shows scrolls, so it needs only its minimum.
QSize need(const QWidget *widget)
{
    if (qobject_cast<const QAbstractScrollArea *>(widget))
        return widget->minimumSizeHint();
    return widget->sizeHint().expandedTo(widget->minimumSizeHint());
}

bool tooSmall(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return clipsLabel(button);
    const QSize needed = need(widget);
    return needed.width() > widget->width() || needed.height() > widget->height();
}

// Scales the edges rather than the size, so neighbours stay apart.
QRect scaled(const QRect &rect, double x, double y)
{
    const int left = qRound(rect.left() * x);
    const int top = qRound(rect.top() * y);
    return {left, top, qRound((rect.left() + rect.width()) * x) - left,
            qRound((rect.top() + rect.height()) * y) - top};
}

} // namespace

FontAdaptation::FontAdaptation(QTabWidget *pages)
    : QObject(pages)
    , pages(pages)
{
    for (int page = 0; page < pages->count(); ++page)
        collect(pages->widget(page));
    pages->installEventFilter(this);
    adapt();
}

bool FontAdaptation::eventFilter(QObject *watched, QEvent *event)
{
    // The tab widget hears of a new font or style before the widgets on its
    // pages do; their sizes are asked for once all of them have it.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        QMetaObject::invokeMethod(this, &FontAdaptation::adapt, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void FontAdaptation::collect(QWidget *container)
{
    // A layout or a scroll area places the widgets inside it itself.
    for (QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        places.append({child, child->geometry()});
        if (!child->layout() && !qobject_cast<QAbstractScrollArea *>(child))
            collect(child);
    }
}

void FontAdaptation::adapt()
{
    for (const Place &place : places)
        place.widget->setGeometry(place.drawn);
    for (int page = 0; page < pages->count(); ++page)
        pages->widget(page)->setMinimumSize(0, 0);
    if (std::none_of(places.cbegin(), places.cend(),
                     [](const Place &place) { return tooSmall(place.widget); }))
        return;

    // One pixel beyond the need covers the rounding of the scaled edges.
    double x = 1;
    double y = 1;
    QHash<QWidget *, QRect> used;
    for (const Place &place : places) {
        const QSize needed = need(place.widget);
        x = std::max(x, (needed.width() + 1.0) / place.drawn.width());
        y = std::max(y, (needed.height() + 1.0) / place.drawn.height());
        if (pages->indexOf(place.widget->parentWidget()) >= 0)
            used[place.widget->parentWidget()] |= place.drawn;
    }
    for (const Place &place : places)
        place.widget->setGeometry(scaled(place.drawn, x, y));
    // Each page keeps the margins it was drawn with, on every side.
    for (auto page = used.cbegin(); page != used.cend(); ++page) {
        const QRect area = scaled(page->adjusted(0, 0, page->left(), page->top()), x, y);
        page.key()->setMinimumSize(area.right() + 1, area.bottom() + 1);
    }
}
