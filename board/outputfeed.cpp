#include "board/outputfeed.h"

#include "board/outputpane.h"

#include <QEvent>
#include <QLocale>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

OutputFeed::OutputFeed(QTextEdit *pane, Limits limits)
    : QObject(pane)
    , pane(pane)
    , limits(limits)
{
    nextTurn.setSingleShot(true);
    nextTurn.setInterval(0);
    connect(&nextTurn, &QTimer::timeout, this, [this] {
        spent = 0;
        pump();
    });
    pane->installEventFilter(this);
}

void OutputFeed::add(const QStringList &paragraphs)
{
    for (const QString &text : paragraphs) {
        // Laying out one paragraph cannot be split, so a longer text comes as
        // several.
        qsizetype at = 0;
        do {
            waiting.enqueue(text.mid(at, limits.perTurn));
            waitingCharacters += waiting.last().size() + 1;
            at += limits.perTurn;
        } while (at < text.size());
    }
    trim();
    pump();
}

bool OutputFeed::eventFilter(QObject *watched, QEvent *event)
{
    // What waited for the pane follows once it is on screen, turn by turn.
    if (watched == pane && event->type() == QEvent::Show && !waiting.isEmpty())
        nextTurn.start();
    return QObject::eventFilter(watched, event);
}

void OutputFeed::pump()
{
    QTextDocument *document = pane->document();
    QTextCursor edit(document);
    bool editing = false;
    while (!waiting.isEmpty()) {
        const qsizetype size = waiting.head().size() + 1;
        if (spent > 0 && spent + size > limits.perTurn)
            break;
        if (!pane->isVisible() && document->characterCount() >= limits.hidden)
            break;
        if (!editing) {
            edit.beginEditBlock();
            editing = true;
        }
        appendPlainParagraph(pane, waiting.dequeue());
        waitingCharacters -= size;
        spent += size;
    }
    if (editing)
        edit.endEditBlock();
    if (spent > 0)
        nextTurn.start();
}

void OutputFeed::trim()
{
    QTextDocument *document = pane->document();
    const qsizetype note = noteLength();
    qsizetype characters = document->characterCount() - note + waitingCharacters;
    qsizetype paragraphs
        = (document->isEmpty() ? 0 : document->blockCount() - (note > 0 ? 1 : 0)) + waiting.size();
    if (characters <= limits.characters && paragraphs <= limits.paragraphs)
        return;
    const auto over = [&] {
        return characters > limits.characters * 3 / 4 || paragraphs > limits.paragraphs * 3 / 4;
    };
    const auto leaveOut = [&](qsizetype length) {
        characters -= length + 1;
        --paragraphs;
        ++leftParagraphs;
        leftCharacters += length;
    };

    // The oldest output is in the pane; the newest paragraph, the last one
    // waiting, always stays.
    const qint64 leftBefore = leftParagraphs;
    QTextBlock kept = document->isEmpty() ? QTextBlock()
        : note > 0                        ? document->begin().next()
                                          : document->begin();
    while (kept.isValid() && over()) {
        leaveOut(kept.length() - 1);
        kept = kept.next();
    }
    while (waiting.size() > 1 && over()) {
        leaveOut(waiting.head().size());
        waitingCharacters -= waiting.dequeue().size() + 1;
    }
    if (leftParagraphs == leftBefore)
        return;

    QTextCursor cursor(document);
    if (kept.isValid())
        cursor.setPosition(kept.position() - 1, QTextCursor::KeepAnchor);
    else
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.insertText(
        tr("Earlier output left out: %1 paragraphs, %2 characters.")
            .arg(QLocale().toString(leftParagraphs), QLocale().toString(leftCharacters)));
    // Every paragraph after the removed ones moved, which costs this turn's
    // layout.
    spent = limits.perTurn;
}

qsizetype OutputFeed::noteLength() const
{
    return leftParagraphs > 0 ? pane->document()->begin().length() : 0;
}
