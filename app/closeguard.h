#ifndef VANTREL_CLOSEGUARD_H
#define VANTREL_CLOSEGUARD_H

#include <QObject>
#include <QPointer>

class QMainWindow;
class QMessageBox;
class QProgressDialog;
class ToolRun;

// Asks before a window closes while the flash tool runs, since stopping it
// can leave the board's flash or firmware half written: "Wait" closes the
// window once the tool is done, "Stop and Quit" ends the tool and closes,
// "Cancel" goes back. A tool that ends meanwhile lets the close go on.
class CloseGuard : public QObject
{
    Q_OBJECT

public:
    CloseGuard(QMainWindow *window, ToolRun *run);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ask();
    void waitForTool();
    void toolEnded();

    QMainWindow *window;
    ToolRun *run;
    QPointer<QMessageBox> question;
    QPointer<QProgressDialog> waiting;
};

#endif
