#include "board/outputpane.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

void appendPlainParagraph(QTextEdit *pane, const QString &text)
{
    QTextDocument *document = pane->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    if (!document->isEmpty())
        cursor.insertBlock();
    cursor.insertText(text);
}

EndFollower::EndFollower(QAbstractScrollArea *view)
    : QObject(view)
    , view(view)
{
    QScrollBar *bar = view->verticalScrollBar();
    // Whatever moves the view, the user or a range that shrank under it,
    // decides whether it follows; growth of the text is followed below.
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { following = value >= bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this] {
        if (following)
            scrollToEnd();
    });
    view->installEventFilter(this);
}

bool EndFollower::eventFilter(QObject *watched, QEvent *event)
{
    // A hidden view lays its text out only when shown again.
    if (watched == view && event->type() == QEvent::Show && following)
        scrollToEnd();
    return QObject::eventFilter(watched, event);
}

void EndFollower::scrollToEnd()
{
    QScrollBar *bar = view->verticalScrollBar();
    bar->setValue(bar->maximum());
}
