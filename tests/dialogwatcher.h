#ifndef VANTREL_DIALOGWATCHER_H
#define VANTREL_DIALOGWATCHER_H

#include <QMap>
#include <QObject>
#include <QString>

// Counts the dialogs shown while it exists, by class name. With `rejectAll`
// it also closes each one as soon as it shows, so that a dialog that should
// never have appeared cannot block the test.
class DialogWatcher : public QObject
{
    Q_OBJECT
public:
    explicit DialogWatcher(bool rejectAll = false);
    ~DialogWatcher() override;

    int count(const char *className) const;
    int total() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMap<QString, int> m_counts;
    bool m_rejectAll;
};

#endif
