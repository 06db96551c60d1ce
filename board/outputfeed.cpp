#include "board/outputfeed.h"

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
    // An unfinished line is shown again as it grows, so it is broken into
    // paragraphs of the turn's size.
    , lines{OutputLines(limits.perTurn), OutputLines(limits.perTurn)}
{
    nextTurn.setSingleShot(true);
    nextTurn.setInterval(0);
    connect(&nextTurn, &QTimer::timeout, this, [this] {
        spent = 0;
        pump();
    });
    pane->installEventFilter(this);
}

void OutputFeed::addOutput(int channel, const QByteArray &bytes)
{
    const OutputLines::Taken taken = lines[channel].take(bytes);
    QStringList texts = taken.lines;
    const bool goesOn = !taken.unfinished.isEmpty();
    if (goesOn)
        texts << taken.unfinished;
    if (texts.isEmpty())
        return;
    Unfinished &line = unfinished[channel];
    if (line.where != Unfinished::None) {
        rewrite(line, texts.takeFirst());
        if (!goesOn || !texts.isEmpty())
            line.where = Unfinished::None;
    }
    for (qsizetype i = 0; i < texts.size(); ++i)
        enqueue(texts.at(i), goesOn && i + 1 == texts.size() ? channel : -1);
    trim();
    pump();
}

void OutputFeed::add(const QStringList &paragraphs)
{
    for (const QString &text : paragraphs)
        enqueue(text);
    trim();
    pump();
}

void OutputFeed::endLines()
{
    for (int channel : {0, 1}) {
        lines[channel].reset();
        unfinished[channel].where = Unfinished::None;
    }
}

bool OutputFeed::eventFilter(QObject *watched, QEvent *event)
{
    // What waited for the pane follows once it is on screen, turn by turn.
    if (watched == pane && event->type() == QEvent::Show && !waiting.empty())
        nextTurn.start();
    return QObject::eventFilter(watched, event);
}

void OutputFeed::enqueue(const QString &text, int unfinishedChannel)
{
    // Laying out one paragraph cannot be split, so a longer text comes as
    // several; the tool's lines are never longer.
    qsizetype at = 0;
    do {
        waiting.push_back(text.mid(at, limits.perTurn));
        waitingCharacters += waiting.back().size() + 1;
        at += limits.perTurn;
    } while (at < text.size());
    if (unfinishedChannel >= 0)
        unfinished[unfinishedChannel]
            = {Unfinished::Waiting, firstWaiting + qint64(waiting.size()) - 1};
}

void OutputFeed::rewrite(Unfinished &line, const QString &text)
{
    if (line.where == Unfinished::Waiting) {
        QString &entry = waiting[size_t(line.at - firstWaiting)];
        waitingCharacters += text.size() - entry.size();
        entry = text;
        return;
    }
    QTextCursor cursor(pane->document()->findBlockByNumber(int(line.at)));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    spent += text.size();
    nextTurn.start();
}

void OutputFeed::pump()
{
    QTextDocument *document = pane->document();
    QTextCursor edit(document);
    edit.movePosition(QTextCursor::End);
    bool editing = false;
    // The turn's paragraphs go in as one text, each after a paragraph
    // separator but a first one in an empty pane, which is what adding them
    // one by one would give: one insertion costs far less than one a
    // paragraph. An unfinished line's paragraph ends the text,
    // so that its block is known as appending it alone would know it.
    QString text;
    // What the document will count once the text is in: insertText() takes
    // CR LF as one paragraph break.
    qsizetype characters = document->characterCount();
    bool empty = document->isEmpty();
    const auto insert = [&] {
        if (!editing) {
            edit.beginEditBlock();
            editing = true;
        }
        edit.insertText(text);
        text.clear();
        characters = document->characterCount();
    };
    while (!waiting.empty()) {
        const QString &entry = waiting.front();
        const qsizetype size = entry.size() + 1;
        if (spent > 0 && spent + size > limits.perTurn)
            break;
        if (!pane->isVisible() && characters >= limits.hidden)
            break;
        if (!empty)
            text += QChar::ParagraphSeparator;
        text += entry;
        characters += (empty ? 0 : 1) + entry.size() - entry.count(QLatin1String("\r\n"));
        empty = empty && entry.isEmpty();
        for (Unfinished &line : unfinished) {
            if (line.where == Unfinished::Waiting && line.at == firstWaiting) {
                insert();
                line = {Unfinished::Shown, document->blockCount() - 1};
            }
        }
        waiting.pop_front();
        ++firstWaiting;
        waitingCharacters -= size;
        spent += size;
    }
    if (!text.isEmpty())
        insert();
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
    qsizetype paragraphs = (document->isEmpty() ? 0 : document->blockCount() - (note > 0 ? 1 : 0))
        + qsizetype(waiting.size());
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
        leaveOut(waiting.front().size());
        waitingCharacters -= waiting.front().size() + 1;
        waiting.pop_front();
        ++firstWaiting;
    }
    if (leftParagraphs == leftBefore)
        return;

    // The blocks before the kept one become the note, its first block.
    const qint64 keptNumber = kept.isValid() ? kept.blockNumber() : document->blockCount();
    for (Unfinished &line : unfinished) {
        const bool left
            = line.where == Unfinished::Shown ? line.at < keptNumber : line.at < firstWaiting;
        if (line.where != Unfinished::None && left)
            line.where = Unfinished::None;
        else if (line.where == Unfinished::Shown)
            line.at -= keptNumber - 1;
    }
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
