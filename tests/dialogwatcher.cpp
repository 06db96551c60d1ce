#include "tests/dialogwatcher.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>

DialogWatcher::DialogWatcher(bool rejectAll)
    : m_rejectAll(rejectAll)
{
    qApp->installEventFilter(this);
}

DialogWatcher::~DialogWatcher()
{
    qApp->removeEventFilter(this);
}

int DialogWatcher::count(const char *className) const
{
    return m_counts.value(QString::fromLatin1(className));
}

int DialogWatcher::total() const
{
    int sum = 0;
    for (int value : m_counts)
        sum += value;
    return sum;
}

bool DialogWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && dialog->isWindow()) {
            ++m_counts[QString::fromLatin1(dialog->metaObject()->className())];
            if (m_rejectAll) {
                QPointer<QDialog> guard(dialog);
                QTimer::singleShot(0, this, [guard] {
                    if (guard)
                        guard->reject();
                });
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
