#ifndef VANTREL_IMAGEDROP_H
#define VANTREL_IMAGEDROP_H

#include <QObject>

class QMimeData;
class QWidget;

// The path of the one local file, not a folder, that a drag carries, the way
// a file manager drags it; empty for several files, a folder or a URL that
// names no local file.
QString droppedImagePath(const QMimeData *data);

// Takes a game image dropped anywhere on a window, its text fields included.
// Whatever droppedImagePath() does not take is refused while it is dragged,
// so the desktop shows no drop cursor and no field inserts its URL; text
// dragged into a field stays the field's business.
class ImageDrop : public QObject
{
    Q_OBJECT

public:
    explicit ImageDrop(QWidget *window);

signals:
    // Emitted once the drop has ended: a dialog opened for the image must not
    // keep the drag's source waiting for its answer.
    void dropped(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif
