#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/closeguard.h"
#include "app/edgeanchor.h"
#include "app/fontadaptation.h"
#include "app/menukeys.h"
#include "board/blockingdialog.h"
#include "board/jcparguments.h"
#include "board/outputfeed.h"
#include "board/outputpane.h"
#include "board/toolrun.h"
#include "help/helptexts.h"
#include "image/imagedrop.h"
#include "image/imagefile.h"
#include "image/imageheader.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>

namespace {

const QString kOrganisation = QStringLiteral("Dunmarrow");
const QString kApplication = QStringLiteral("Vantrel");

// How long one of Vantrel's own notices stays in the status bar.
constexpr int kNoticeMs = 10000;

QString imageFilter()
{
    return MainWindow::tr("JagFiles(*.rom *.bin *.abs *.cof *.jag)");
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

    process = new ToolRun(jcpPath, this);
    connect(process, &ToolRun::output, this, &MainWindow::outputCommand);
    connect(process, &ToolRun::finished, this, &MainWindow::outputFinished);
    connect(process, &ToolRun::notice, this, &MainWindow::notify);
    new CloseGuard(this, process);

    ui->setupUi(this);
    // Qt 6.4 cuts the options page out of the chain the form sets up: linking
    // a widget after the tab widget places it after all of the tab widget's
    // children. Linking the tab bar, which takes the tab widget's focus, keeps
    // the form's order with every widget in it.
    const QList<QWidget *> chain{
        ui->fileSelect,    ui->filenameEdit,    ui->doTransfer,      ui->tabWidget->tabBar(),
        ui->overrideCheck, ui->overrideAddress, ui->skipheaderCheck, ui->skipBytesval,
        ui->skipbootCheck, ui->isFlash,         ui->bank1Radio,      ui->bank2Radio,
        ui->bank6Radio,    ui->resetSkunk,      ui->outputBrowser};
    for (qsizetype i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i), chain.at(i + 1));
    // The tab widget itself stays in the chain after the pages, and through
    // its focus proxy it would hand the focus back to its tab bar instead of
    // wrapping round to "Select File". The tab bar takes the focus on its own.
    ui->tabWidget->setFocusProxy(nullptr);
    ui->tabWidget->setFocusPolicy(Qt::NoFocus);

    new EndFollower(ui->outputBrowser);
    new FontAdaptation(ui->tabWidget);
    new EdgeAnchor(ui->outputBrowser);
    new MenuKeys(this);
    connect(new ImageDrop(this), &ImageDrop::dropped, this, &MainWindow::takeImageFile);
    feed = new OutputFeed(ui->outputBrowser);

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
    // Closing the window asks before a tool is stopped; only a quit that
    // bypassed the window gets here with one still running, and the run
    // stops it without a word to the window being torn down.
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(QStringLiteral("defdir"), defaultDir);
    settings.setValue(QStringLiteral("rev1"), ui->actionRev_1_Skunkboard->isChecked());
    settings.setValue(QStringLiteral("wordflash"), ui->actionUse_Word_Flash_Mode->isChecked());
    delete ui;
}

void MainWindow::stopAndQuit()
{
    process->stop();
    close();
}

void MainWindow::outputCommand(int channel, const QByteArray &bytes)
{
    feed->addOutput(channel, bytes);
}

void MainWindow::outputFinished()
{
    feed->endLines();
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

    if (process->start(transferArguments(options)))
        runBusyDialog(
            tr("Sending file to Skunkboard"),
            tr("This can take a minute or so depending on file size and USB speed of PC"));
}

void MainWindow::selectFile()
{
    takeImageFile(QFileDialog::getOpenFileName(this, tr("Select file to load to Skunkboard"),
                                               defaultDir, imageFilter()));
}

void MainWindow::takeImageFile(const QString &path)
{
    ui->filenameEdit->setText(path);
    if (path.isEmpty())
        return;

    // A file that cannot be read leaves everything the user had set alone.
    QString error;
    FILE *file = openImageFile(path, error);
    if (!file) {
        QMessageBox::warning(this, tr("Select File"),
                             tr("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), error));
        return;
    }

    // The name as the file system knows it, not a Latin-1 narrowing of it.
    fileName = QFile::encodeName(path);
    parseFile(file);
    std::fclose(file);

    const PanelProposal proposal = proposePanel({loadAddress, headerSkip});
    ui->isFlash->setChecked(proposal.isFlash);
    ui->overrideAddress->setText(proposal.address);
    ui->skipBytesval->setText(proposal.headerSkip);
    defaultDir = path;
}

void MainWindow::resetSkunk()
{
    process->start(resetArguments());
}

void MainWindow::skunkSerial()
{
    process->start(serialArguments());
}

void MainWindow::updateSkunk()
{
    if (process->start(updateArguments()))
        runBusyDialog(tr("Updating Skunkboard firmware"),
                      tr("This can take a minute or so. Do not unplug the Skunkboard or switch the "
                         "Jaguar off until it is done."));
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

void MainWindow::runBusyDialog(const QString &title, const QString &label)
{
    progress.setWindowTitle(title);
    progress.setLabelText(label);
    progress.setCancelButton(nullptr);
    progress.setRange(0, 0);
    progress.setWindowModality(Qt::WindowModal);
    execBlocking(progress, this);
}

void MainWindow::dumpRomFile(int bank)
{
    // Refused before any dialog: a file chosen now could not be written.
    if (process->refuseWhileBusy())
        return;
    const QString caption = bank == 1 ? tr("Select file to dump bank 1 ROM to")
                                      : tr("Select file to dump bank 2 ROM to");
    // Replacing a file is asked once, by the question below.
    const QString path = QFileDialog::getSaveFileName(this, caption, defaultDir, imageFilter(),
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
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
    if (process->start(dumpArguments(bank, path))) {
        runBusyDialog(bank == 1 ? tr("Dumping bank 1 ROM to file")
                                : tr("Dumping bank 2 ROM to file"),
                      tr("This can take a minute or so depending on ROM size and USB speed of PC"));
    }
    defaultDir = path;
}

void MainWindow::notify(const QString &text)
{
    // The pane may be behind the "Options" page; the status bar is always seen.
    feed->add({text});
    ui->statusBar->showMessage(text, kNoticeMs);
}
