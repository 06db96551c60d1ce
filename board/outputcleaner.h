#ifndef VANTREL_OUTPUTCLEANER_H
#define VANTREL_OUTPUTCLEANER_H

#include <QByteArray>
#include <QString>

// Turns one chunk of the tool's output into the one line the output pane
// shows: Latin-1, whitespace simplified, then the spinner's backspaces and
// bars removed.
QString cleanToolOutput(const QByteArray &chunk);

#endif
