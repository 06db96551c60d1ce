#ifndef VANTREL_FONTADAPTATION_H
#define VANTREL_FONTADAPTATION_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class QTabWidget;
class QWidget;

// The pages of a tab widget, whose widgets sit at fixed places drawn for the
// default font, keep their texts whole at a larger font: once a place is too
// small for what it shows, every place on every page is scaled by the same
// factors, so the pages keep their arrangement and the window grows with
// them. At a font every place holds, nothing moves. A font or style changed
// while the window is up is followed.
class FontAdaptation : public QObject
{
    Q_OBJECT

public:
    explicit FontAdaptation(QTabWidget *pages);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Place
    {
        QPointer<QWidget> widget;
        QRect drawn;
    };

    void collect(QWidget *container);
    void adapt();

    QTabWidget *pages;
    QList<Place> places;
};

#endif
