#ifndef VANTREL_OUTPUTFEED_H
#define VANTREL_OUTPUTFEED_H

#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTimer>

class QTextEdit;

// Feeds paragraphs into the output pane so that a tool flooding it never
// freezes the window. Each paragraph is added as appendPlainParagraph()
// adds it, but:
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

    // The paragraphs of one notification, in order; their edits go in as one
    // where they fit into the turn.
    void add(const QStringList &paragraphs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pump();
    void trim();
    qsizetype noteLength() const;

    QTextEdit *pane;
    Limits limits;
    QQueue<QString> waiting;
    qsizetype waitingCharacters = 0;
    // Characters added during this turn of the event loop.
    qsizetype spent = 0;
    QTimer nextTurn;
    qint64 leftParagraphs = 0;
    qint64 leftCharacters = 0;
};

#endif
