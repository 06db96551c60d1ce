#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/focuschain.h"

#include "board/jcparguments.h"
#include "board/outputcleaner.h"
#include "help/helptexts.h"
#include "image/imagefile.h"
#include "image/imageheader.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QScrollBar>
#include <QSettings>
#include <QTextCursor>
#include <QTextDocument>
#include <QWindow>

#include <cstring>

namespace {

const QString kOrganisation = QStringLiteral("Dunmarrow");
const QString kApplication = QStringLiteral("Vantrel");

// How long closing the window waits for a running board operation to end on
// its own before the tool is stopped; long enough for a reset or serial read,
// short enough that quitting never seems to hang.
constexpr int kExitGraceMs = 3000;

QString imageFilter()
{
    return MainWindow::tr("JagFiles(*.rom *.bin *.abs *.cof *.jag)");
}

// A window-modal dialog without a parent widget blocks no window at all: the
// main window would take "Quit" or another command while an operation waits,
// and quitting then left the process running with no window. Tied to the main
// window, the busy dialog blocks it as intended. The tie is undone afterwards:
// while it lasts, the window cannot be activated again, even with the dialog
// hidden.
void runBlockingWindow(QDialog &dialog, QWidget *window)
{
    dialog.winId();
    dialog.windowHandle()->setTransientParent(window->windowHandle());
    dialog.exec();
    dialog.windowHandle()->setTransientParent(nullptr);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui_MainWindow)
{
    // A progress dialog pops up by itself once its minimum duration has passed,
    // even if nothing ever runs it; the busy dialog must stay hidden until an
    // operation shows it.
    progress.reset();

    QSettings settings(kOrganisation, kApplication);
    defaultDir = settings.value(QStringLiteral("defdir")).toString();
    jcpPath = QCoreApplication::applicationDirPath() + QLatin1String("/jcp");

    connect(&process, &QProcess::readyReadStandardOutput, this, &MainWindow::outputCommand);
    connect(&process, &QProcess::readyReadStandardError, this, &MainWindow::outputCommand);
    connect(&process, &QProcess::finished, this, &MainWindow::outputFinished);
    connect(&process, &QProcess::errorOccurred, this, &MainWindow::reportFailedStart);

    ui->setupUi(this);
    linkFocusChain({ui->fileSelect, ui->filenameEdit, ui->doTransfer, ui->tabWidget,
                    ui->overrideCheck, ui->overrideAddress, ui->skipheaderCheck, ui->skipBytesval,
                    ui->skipbootCheck, ui->isFlash, ui->bank1Radio, ui->bank2Radio, ui->bank6Radio,
                    ui->resetSkunk, ui->outputBrowser});

    ui->actionRev_1_Skunkboard->setChecked(settings.value(QStringLiteral("rev1"), false).toBool());
    ui->actionUse_Word_Flash_Mode->setChecked(
        settings.value(QStringLiteral("wordflash"), false).toBool());
    ui->skipBytesval->setEnabled(false);
    ui->overrideAddress->setEnabled(false);
    if (ui->actionRev_1_Skunkboard->isChecked()) {
        ui->bank2Radio->setEnabled(false);
        ui->bank6Radio->setEnabled(false);
        ui->actionDump_Bank2->setEnabled(false);
    }
}

MainWindow::~MainWindow()
{
    // A run still going must not reach the slots of a window being torn down.
    disconnect(&process, nullptr, this, nullptr);
    if (process.state() != QProcess::NotRunning)
        process.waitForFinished(kExitGraceMs);

    QSettings settings(kOrganisation, kApplication);
    settings.setValue(QStringLiteral("defdir"), defaultDir);
    settings.setValue(QStringLiteral("rev1"), ui->actionRev_1_Skunkboard->isChecked());
    settings.setValue(QStringLiteral("wordflash"), ui->actionUse_Word_Flash_Mode->isChecked());
    delete ui;
}

void MainWindow::outputCommand()
{
    // Both paragraphs go in as one edit: the pane then lays the chunk out
    // once, not a second time when the next paragraph splits it off.
    QScrollBar *scrollBar = ui->outputBrowser->verticalScrollBar();
    const bool atBottom = scrollBar->value() >= scrollBar->maximum();
    QTextCursor edit(ui->outputBrowser->document());
    edit.beginEditBlock();
    appendOutput(cleanToolOutput(process.readAllStandardOutput()));
    appendOutput(cleanToolOutput(process.readAllStandardError()));
    edit.endEditBlock();
    if (atBottom)
        scrollBar->setValue(scrollBar->maximum());
}

void MainWindow::outputFinished()
{
    progress.hide();
}

void MainWindow::doCommand()
{
    TransferOptions options;
    options.skipBoot = ui->skipbootCheck->isChecked();
    options.overrideAddress = ui->overrideCheck->isChecked();
    options.isFlash = ui->isFlash->isChecked();
    options.bank2 = ui->bank2Radio->isChecked();
    options.bank6 = ui->bank6Radio->isChecked();
    options.wordFlash = ui->actionUse_Word_Flash_Mode->isChecked();
    options.skipHeader = ui->skipheaderCheck->isChecked();
    options.skipBytes = ui->skipBytesval->text();
    options.fileName = ui->filenameEdit->text();
    options.address = ui->overrideAddress->text();

    if (startTool(transferArguments(options)))
        runBusyDialog(
            tr("Sending file to Skunkboard"),
            tr("This can take a minute or so depending on file size and USB speed of PC"));
}

void MainWindow::selectFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Select file to load to Skunkboard"),
                                                      defaultDir, imageFilter());
    ui->filenameEdit->setText(path);
    if (path.isEmpty())
        return;

    // A file that cannot be read leaves everything the user had set alone.
    int openError = 0;
    FILE *file = openImageFile(path, openError);
    if (!file) {
        QMessageBox::warning(this, tr("Select File"),
                             tr("Cannot read %1: %2")
                                 .arg(QDir::toNativeSeparators(path),
                                      QString::fromLocal8Bit(std::strerror(openError))));
        return;
    }

    // The name as the file system knows it, not a Latin-1 narrowing of it.
    fileName = QFile::encodeName(path);
    parseFile(file);
    std::fclose(file);

    ui->isFlash->setChecked(loadAddress > 0x801FFF);
    ui->overrideAddress->setText(QString::asprintf("0x%x", static_cast<quint32>(loadAddress)));
    ui->skipBytesval->setText(QString::asprintf("%d", headerSkip));
    defaultDir = path;
}

void MainWindow::resetSkunk()
{
    startTool(resetArguments());
}

void MainWindow::skunkSerial()
{
    startTool(serialArguments());
}

void MainWindow::updateSkunk()
{
    if (!startTool(updateArguments()))
        return;
    // The update keeps whatever title and label the last transfer or dump left.
    progress.setRange(0, 0);
    progress.setWindowModality(Qt::WindowModal);
    runBlockingWindow(progress, this);
}

void MainWindow::skipHeader()
{
    // Runs on pressed(), before the box toggles: the field follows the state
    // the click is about to give the box.
    ui->skipBytesval->setEnabled(!ui->skipheaderCheck->isChecked());
}

void MainWindow::overrideAddress()
{
    ui->overrideAddress->setEnabled(!ui->overrideCheck->isChecked());
}

void MainWindow::parseFile(FILE *file)
{
    const ImageHeader header = detectImageHeader(file, fileName);
    loadAddress = header.loadAddress;
    headerSkip = header.headerSkip;
}

void MainWindow::Dump2RomFile()
{
    dumpRomFile(2);
}

void MainWindow::Dump1RomFile()
{
    dumpRomFile(1);
}

void MainWindow::about()
{
    QMessageBox::about(this, tr("About Vantrel"), aboutText());
}

void MainWindow::donate()
{
    QDesktopServices::openUrl(donationPageUrl());
}

void MainWindow::homepage()
{
    QDesktopServices::openUrl(homePageUrl());
}

void MainWindow::rev1skunk()
{
    if (ui->actionRev_1_Skunkboard->isChecked()) {
        ui->bank2Radio->setEnabled(false);
        ui->bank6Radio->setEnabled(false);
        ui->bank1Radio->setChecked(true);
        ui->actionDump_Bank2->setEnabled(false);
    } else {
        ui->bank2Radio->setEnabled(true);
        ui->bank6Radio->setEnabled(true);
        if (!ui->isFlash->isChecked()) {
            // Enabling the radio buttons directly would leave them usable
            // inside an unchecked box; a check and uncheck hands their
            // disabling back to the box, so all three come back together.
            ui->isFlash->setChecked(true);
            ui->isFlash->setChecked(false);
        }
        ui->actionDump_Bank2->setEnabled(true);
    }
}

bool MainWindow::refuseWhileBusy()
{
    if (process.state() == QProcess::NotRunning)
        return false;
    appendOutput(tr("The flash tool is still busy with an earlier command; nothing was started."));
    return true;
}

bool MainWindow::startTool(const QStringList &arguments)
{
    if (refuseWhileBusy())
        return false;
    process.start(jcpPath, arguments, QIODevice::ReadWrite);
    return process.state() != QProcess::NotRunning;
}

void MainWindow::runBusyDialog(const QString &title, const QString &label)
{
    progress.setWindowTitle(title);
    progress.setLabelText(label);
    progress.setCancelButton(nullptr);
    progress.setRange(0, 0);
    progress.setWindowModality(Qt::WindowModal);
    runBlockingWindow(progress, this);
}

void MainWindow::dumpRomFile(int bank)
{
    // Refused before any dialog: a file chosen now could not be written.
    if (refuseWhileBusy())
        return;
    const QString caption = bank == 1 ? tr("Select file to dump bank 1 ROM to")
                                      : tr("Select file to dump bank 2 ROM to");
    const QString path = QFileDialog::getSaveFileName(this, caption, defaultDir, imageFilter());
    if (path.isEmpty())
        return;

    if (QFile::exists(path)) {
        QMessageBox question(QMessageBox::Warning, tr("Recent Files"),
                             tr("File %1 already exists.\nDo you want to overwrite it?")
                                 .arg(QDir::toNativeSeparators(path)),
                             QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::Yes);
        question.setEscapeButton(QMessageBox::No);
        if (question.exec() == QMessageBox::No)
            return;
    }

    // The path goes to the tool exactly as chosen: a narrowed copy could name
    // a different file, one the overwrite question never covered.
    if (startTool(dumpArguments(bank, path))) {
        runBusyDialog(bank == 1 ? tr("Dumping bank 1 ROM to file")
                                : tr("Dumping bank 2 ROM to file"),
                      tr("This can take a minute or so depending on ROM size and USB speed of PC"));
    }
    defaultDir = path;
}

void MainWindow::reportFailedStart(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
        return;
    appendOutput(tr("Could not start the flash tool %1: %2")
                     .arg(QDir::toNativeSeparators(jcpPath), process.errorString()));
    // No finished() follows a failed start, so the waiting operation is released here.
    progress.hide();
}

void MainWindow::appendOutput(const QString &text)
{
    // Like QTextEdit::append, one paragraph per call and none for an empty
    // text in an empty pane, but always as plain text: append() would take a
    // line that looks like markup as HTML and hide the tool's "<b>" or "&lt;".
    QScrollBar *scrollBar = ui->outputBrowser->verticalScrollBar();
    const bool atBottom = scrollBar->value() >= scrollBar->maximum();
    QTextDocument *document = ui->outputBrowser->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    if (!document->isEmpty())
        cursor.insertBlock();
    cursor.insertText(text);
    if (atBottom)
        scrollBar->setValue(scrollBar->maximum());
}
