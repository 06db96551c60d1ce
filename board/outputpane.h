#ifndef VANTREL_OUTPUTPANE_H
#define VANTREL_OUTPUTPANE_H

#include <QObject>

class QAbstractScrollArea;

// Keeps a view at the end of its content while the user leaves it there,
// including output that arrives while the view is hidden; a view the user
// scrolled up stays where it was left.
class EndFollower : public QObject
{
    Q_OBJECT

public:
    explicit EndFollower(QAbstractScrollArea *view);

private:
    bool following = true;
};

#endif
