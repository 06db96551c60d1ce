#ifndef VANTREL_OUTPUTLINES_H
#define VANTREL_OUTPUTLINES_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Cuts what one channel of the tool prints into the lines the output pane
// shows, one paragraph each. A line is cleaned as Latin-1 with its
// whitespace simplified and the spinner's backspaces and bars removed; a
// line that only a spinner drew is no line at all, while a blank line the
// tool printed stays one. The line still being printed is kept, and is what
// the pane shows of it so far.
class OutputLines
{
public:
    // A line longer than `longest` bytes is broken there.
    explicit OutputLines(qsizetype longest);

    struct Taken
    {
        // Lines ended by these bytes; the first one ends the line that was
        // still being printed, if there was one.
        QStringList lines;
        // The line still being printed, cleaned; empty when nothing of it
        // shows yet.
        QString unfinished;
    };
    Taken take(const QByteArray &bytes);
    // The next bytes start a new line: a run has ended.
    void reset();

    static QString clean(const QByteArray &line);

private:
    QByteArray unfinished;
    qsizetype longest;
};

#endif
