#ifndef VANTREL_QUITSIGNALS_H
#define VANTREL_QUITSIGNALS_H

#include <QObject>

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal delivered by the event
// loop, so that a quit asked for from outside can end the program cleanly.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);

signals:
    void received();
};

#endif
