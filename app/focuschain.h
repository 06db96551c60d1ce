#ifndef VANTREL_FOCUSCHAIN_H
#define VANTREL_FOCUSCHAIN_H

#include <QList>

class QWidget;

// Links the widgets into the keyboard focus chain in the given order, through
// the focus proxy of any widget that has one.
void linkFocusChain(const QList<QWidget *> &widgets);

#endif
