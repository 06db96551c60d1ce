#ifndef VANTREL_QUITSIGNALS_H
#define VANTREL_QUITSIGNALS_H

#include <QObject>

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal delivered by the event
// loop, so that a quit asked for from outside can end the program cleanly.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    // Catches the signals from now on, before the application object
    // exists; each one waits until a QuitSignals object delivers it.
    static void install();
    // Delivers the signals caught, installing the catch if need be.
    explicit QuitSignals(QObject *parent = nullptr);

signals:
    void received();
};

#endif
