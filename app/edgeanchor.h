#ifndef VANTREL_EDGEANCHOR_H
#define VANTREL_EDGEANCHOR_H

#include <QObject>
#include <QPointer>
#include <QSize>

class QWidget;

// Keeps a widget on a page without a layout at the distance from the page's
// right and bottom edges it had when the window was first laid out: the
// widget grows and shrinks with the page and keeps its top left corner. Its
// page, hidden behind another tab, is sized as the visible one, so the
// distances are taken when the window first lays out its pages.
class EdgeAnchor : public QObject
{
    Q_OBJECT

public:
    explicit EdgeAnchor(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();

    QPointer<QWidget> widget;
    QWidget *page;
    QWidget *stack;
    // From the widget's bottom right corner to the page's, once measured.
    QSize distance;
    bool measured = false;
};

#endif
