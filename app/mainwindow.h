#ifndef VANTREL_MAINWINDOW_H
#define VANTREL_MAINWINDOW_H

#include <QByteArray>
#include <QMainWindow>
#include <QProgressDialog>
#include <QString>

#include <cstdio>

class OutputFeed;
class ToolRun;
class Ui_MainWindow;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

public slots:
    // Ends a running tool without asking, then closes the window: the way
    // out when the program is told to quit from outside.
    void stopAndQuit();

private slots:
    void outputCommand(int channel, const QByteArray &bytes);
    void outputFinished();
    void doCommand();
    void selectFile();
    void resetSkunk();
    void skunkSerial();
    void updateSkunk();
    void skipHeader();
    void overrideAddress();
    void parseFile(FILE *file);
    void Dump2RomFile();
    void Dump1RomFile();
    void about();
    void donate();
    void homepage();
    void rev1skunk();

private:
    // What "Select File" does with the chosen path, an empty one for a
    // cancelled dialog; a dropped image comes the same way.
    void takeImageFile(const QString &path);
    void runBusyDialog(const QString &title, const QString &label);
    void dumpRomFile(int bank);
    void notify(const QString &text);

    Ui_MainWindow *ui;
    ToolRun *process;
    QByteArray fileName;
    qint32 loadAddress;
    qint32 headerSkip;
    QString defaultDir;
    QProgressDialog progress;
    QString jcpPath;
    OutputFeed *feed = nullptr;
};

#endif
