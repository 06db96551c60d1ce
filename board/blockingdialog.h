#ifndef VANTREL_BLOCKINGDIALOG_H
#define VANTREL_BLOCKINGDIALOG_H

class QDialog;
class QWidget;

// Runs `dialog` until it is hidden, blocking `window` meanwhile, and leaves
// `window` the active window afterwards, however the dialog closed: the
// keyboard works in it again at once, without a click.
void execBlocking(QDialog &dialog, QWidget *window);

#endif
