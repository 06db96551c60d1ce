#ifndef VANTREL_OUTPUTFEED_H
#define VANTREL_OUTPUTFEED_H

#include "board/outputlines.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <deque>

class QTextEdit;

// Feeds the tool's output into the output pane, a paragraph per line it
// prints, so that a tool flooding it never freezes the window. The line a
// channel is still printing shows at once and is completed in place; each
// of the two channels has its own. Each paragraph is added as
// QTextEdit::append() adds one (none for an empty text in an empty pane),
// but always as plain text, so that a line of the tool's that looks like
// markup shows as printed; and:
// - the pane holds at most `characters` characters in at most `paragraphs`
//   paragraphs: when more arrive, whole paragraphs go from the start (down
//   to three quarters of the bound, so that removing them, which moves every
//   paragraph after them, is rare) and the first paragraph says how many
//   paragraphs and characters were left out;
// - one turn of the event loop adds at most `perTurn` characters (a longer
//   text comes as paragraphs of that size), and a hidden pane, which lays
//   everything out at once when shown, at most `hidden` in all; the rest
//   waits, in order, for the next turn or for the pane to be shown.
// Ordinary output stays far below these and goes in at once.
class OutputFeed : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        qsizetype characters = 1000000;
        qsizetype paragraphs = 25000;
        qsizetype perTurn = 16384;
        qsizetype hidden = 32768;
    };

    explicit OutputFeed(QTextEdit *pane, Limits limits);
    explicit OutputFeed(QTextEdit *pane)
        : OutputFeed(pane, Limits())
    {
    }

    // What the tool printed on a channel (0 standard output, 1 standard
    // error) since the last call.
    void addOutput(int channel, const QByteArray &bytes);
    // Paragraphs of Vantrel's own, in order.
    void add(const QStringList &paragraphs);
    // The run has ended: a line it left unfinished stays as shown, and the
    // next run's output starts on a new line.
    void endLines();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Where a channel's unfinished line is: nowhere, still waiting (the id
    // of its entry), or in the pane (its block number).
    struct Unfinished
    {
        enum Where : std::uint8_t { None, Waiting, Shown } where = None;
        qint64 at = 0;
    };

    void enqueue(const QString &text, int unfinishedChannel = -1);
    void rewrite(Unfinished &line, const QString &text);
    void pump();
    void trim();
    qsizetype noteLength() const;

    QTextEdit *pane;
    Limits limits;
    OutputLines lines[2];
    Unfinished unfinished[2];
    std::deque<QString> waiting;
    // The id of the first waiting entry; ids go up by one an entry.
    qint64 firstWaiting = 0;
    qsizetype waitingCharacters = 0;
    // Characters added during this turn of the event loop.
    qsizetype spent = 0;
    QTimer nextTurn;
    qint64 leftParagraphs = 0;
    qint64 leftCharacters = 0;
};

#endif
