#ifndef VANTREL_OUTPUTPANE_H
#define VANTREL_OUTPUTPANE_H

#include <QObject>
#include <QString>

class QAbstractScrollArea;
class QTextEdit;

// Adds one paragraph to the pane, like QTextEdit::append (none for an empty
// text in an empty pane), but always as plain text: append() would take a
// line that looks like markup as HTML and hide the tool's "<b>" or "&lt;".
void appendPlainParagraph(QTextEdit *pane, const QString &text);

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
