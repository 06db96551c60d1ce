// Board operations through the window, with the simulated board beside the
// test: what the tool receives, the busy dialog, dumps, the output pane,
// commands refused while the tool runs, and closing the window meanwhile.
#include "tests/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>

using namespace TestSupport;

class BoardTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private slots:
    void init();
    void cleanup();
    void flashThenDump();
    void busyDialog();
    void dumps_data();
    void dumps();
    void relay();
    void refusedWhileBusy();
    void closing_data();
    void closing();
    void paneFollowsEnd();

private:
    void go(const QString &path);
    QString lastLine() const;

    std::unique_ptr<MainWindow> window;
    const QString defaultDir = workPath(QStringLiteral("last.rom"));
};

void BoardTest::init()
{
    clearSettings();
    QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
        .setValue("defdir", defaultDir);
    QDir(workPath(QStringLiteral("board"))).removeRecursively();
    clearRuns();
    window = showWindow();
}

void BoardTest::cleanup()
{
    release();
    window.reset();
    qunsetenv("JCP_SIM_STDOUT");
    qunsetenv("JCP_SIM_STDERR");
}

// Types the image's path into the file field and presses "Go".
void BoardTest::go(const QString &path)
{
    find<QLineEdit>("filenameEdit")->clear();
    typeText(find<QLineEdit>("filenameEdit"), path);
    QTest::mouseClick(find<QPushButton>("doTransfer"), Qt::LeftButton);
}

// The pane's last non-empty line: an empty stderr read adds an empty paragraph.
QString BoardTest::lastLine() const
{
    return find<QTextBrowser>("outputBrowser")->toPlainText().trimmed().split(u'\n').last();
}

void BoardTest::flashThenDump()
{
    QByteArray data(8192, '\xff');
    for (int i = 0; i < 300000; ++i)
        data += char(i * 7 + i / 256);
    const QString path = writeFile(QStringLiteral("my game ü.rom"), data);
    QTest::mouseClick(find<QCheckBox>("skipheaderCheck"), Qt::LeftButton, {}, QPoint(8, 8));
    find<QLineEdit>("skipBytesval")->clear();
    typeText(find<QLineEdit>("skipBytesval"), QStringLiteral("8192"));
    find<QGroupBox>("isFlash")->setChecked(true);
    go(path);
    const QString back = workPath(QStringLiteral("back.rom"));
    onNextModal([&](QWidget *dialog) { answerFileDialog(dialog, back); });
    press(window.get(), Qt::Key_1);
    QCOMPARE(runs(), (QList<QStringList>{{"-q", "-f", "-h", "8192", path}, {"-q", "-d", back}}));
    QFile dumped(back);
    QVERIFY(dumped.open(QIODevice::ReadOnly));
    QVERIFY(dumped.readAll() == data.mid(8192));
}

void BoardTest::busyDialog()
{
    QStringList titles;
    for (const bool transfer : {true, false}) {
        hold();
        onNextModal([&](QWidget *modal) {
            const auto releaseAtEnd = qScopeGuard(release);
            auto *dialog = qobject_cast<QProgressDialog *>(modal);
            QVERIFY(dialog && dialog->maximum() == 0);
            titles << dialog->windowTitle();
            QTRY_COMPARE(runs().size(), titles.size());
            // The window takes no command meanwhile, not even one to refuse.
            QTest::keyClick(window->windowHandle(), Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(window->statusBar()->currentMessage(), QString());
        });
        if (transfer)
            go(writeFile(QStringLiteral("ram.bin"), "data"));
        else
            press(window.get(), Qt::Key_U);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }
    // The update shows the title the transfer left.
    QCOMPARE(titles, QStringList(2, QStringLiteral("Sending file to Skunkboard")));
}

void BoardTest::dumps_data()
{
    QTest::addColumn<int>("bank");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("dumped");
    QTest::newRow("new file") << 1 << "new.rom"
                              << "" << true;
    QTest::newRow("new file, bank 2, cyrillic") << 2 << "бэкап 2.rom"
                                                << "" << true;
    QTest::newRow("file dialog cancelled") << 2 << ""
                                           << "" << false;
    QTest::newRow("existing, yes") << 1 << "old.rom"
                                   << "Yes" << true;
    QTest::newRow("existing, no") << 1 << "old.rom"
                                  << "No" << false;
    QTest::newRow("existing, return is yes") << 2 << "old.rom"
                                             << "Return" << true;
    QTest::newRow("existing, escape is no") << 1 << "old.rom"
                                            << "Escape" << false;
}

void BoardTest::dumps()
{
    QFETCH(int, bank);
    QFETCH(QString, name);
    QFETCH(QString, answer);
    QFETCH(bool, dumped);
    const QString path = answer.isEmpty() ? workPath(name) : writeFile(name, "old");

    QString start, question;
    onNextModal([&](QWidget *dialog) {
        start = qobject_cast<QFileDialog *>(dialog)->directory().filePath(
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text());
        if (name.isEmpty())
            return QTest::keyClick(dialog, Qt::Key_Escape);
        if (!answer.isEmpty()) {
            // The file dialog's own question about replacing comes first.
            onNextModal([&](QWidget *replace) {
                qobject_cast<QMessageBox *>(replace)->button(QMessageBox::Yes)->click();
                onNextModal([&](QWidget *box) {
                    auto *ask = qobject_cast<QMessageBox *>(box);
                    question = ask->windowTitle() + '|' + ask->text();
                    if (answer == QLatin1String("Yes") || answer == QLatin1String("No"))
                        ask->button(answer == "Yes" ? QMessageBox::Yes : QMessageBox::No)->click();
                    else
                        QTest::keyClick(ask, answer == "Return" ? Qt::Key_Return : Qt::Key_Escape);
                });
            });
        }
        answerFileDialog(dialog, path);
    });
    press(window.get(), bank == 1 ? Qt::Key_1 : Qt::Key_2);

    QCOMPARE(start, defaultDir);
    if (!answer.isEmpty())
        QCOMPARE(question,
                 QStringLiteral("Recent Files|File %1 already exists.\n"
                                "Do you want to overwrite it?")
                     .arg(path));
    const QList<QStringList> expected{{"-q", bank == 1 ? "-d" : "-d2", path}};
    QCOMPARE(runs(), dumped ? expected : QList<QStringList>());
    window.reset();
    QCOMPARE(setting("defdir").toString(), dumped ? path : defaultDir);
}

void BoardTest::relay()
{
    qputenv("JCP_SIM_STDOUT", "|\b/\b<b>bold</b>  and\n\t&amp;");
    qputenv("JCP_SIM_STDERR", "caf\xe9 failed\n");
    press(window.get(), Qt::Key_S);
    auto *pane = find<QTextBrowser>("outputBrowser");
    QTRY_VERIFY(pane->toPlainText().contains(QStringLiteral("café failed")));
    QVERIFY(pane->toPlainText().contains(QStringLiteral("/<b>bold</b> and &amp;")));
    QVERIFY(!pane->toHtml().contains(QStringLiteral("font-weight:700")));
}

void BoardTest::refusedWhileBusy()
{
    hold();
    press(window.get(), Qt::Key_S);
    QTRY_VERIFY(runs().size() == 1 && !lastLine().isEmpty());
    const QString refusal = QStringLiteral(
        "The flash tool is still busy with an earlier command; nothing was started.");
    for (const Qt::Key key : {Qt::Key_R, Qt::Key_1}) {
        window->statusBar()->clearMessage();
        press(window.get(), key);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(lastLine(), refusal);
        QCOMPARE(window->statusBar()->currentMessage(), refusal);
    }
    QCOMPARE(runs().size(), 1);
}

void BoardTest::closing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("toolFinishes");
    QTest::newRow("no run") << "" << true << false;
    QTest::newRow("wait") << "Wait" << true << true;
    QTest::newRow("stop and quit") << "Stop and Quit" << true << false;
    QTest::newRow("cancel") << "Cancel" << false << true;
    QTest::newRow("tool ends while asked") << "none" << true << true;
}

void BoardTest::closing()
{
    QFETCH(QString, answer);
    QFETCH(bool, closes);
    QFETCH(bool, toolFinishes);
    if (!answer.isEmpty()) {
        // A board that hangs: Escape leaves its busy dialog, the tool runs on.
        hold();
        onNextModal([](QWidget *busy) { QTest::keyClick(busy, Qt::Key_Escape); });
        find<QGroupBox>("isFlash")->setChecked(true);
        go(writeFile(QStringLiteral("big.rom"), QByteArray(100000, 'x')));
        onNextModal([&](QWidget *modal) {
            auto *question = qobject_cast<QMessageBox *>(modal);
            QVERIFY(question && question->parent() == window.get());
            QCOMPARE(question->windowTitle(), QStringLiteral("Vantrel"));
            QCOMPARE(question->defaultButton()->text(), QStringLiteral("Wait"));
            QCOMPARE(question->escapeButton()->text(), QStringLiteral("Cancel"));
            for (QAbstractButton *button : question->buttons()) {
                if (button->text() == answer)
                    button->click();
            }
            if (answer == QLatin1String("Wait"))
                QVERIFY(qobject_cast<QProgressDialog *>(QApplication::activeModalWidget()));
            QCOMPARE(window->isVisible(), answer != QLatin1String("Stop and Quit"));
            release();
        });
    }
    press(window.get(), Qt::Key_Q);
    QTRY_COMPARE(window->isVisible(), !closes);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QTRY_COMPARE(QFile::exists(workPath(QStringLiteral("board/bank1.bin"))), toolFinishes);
    // Once closed, or the run done, no tool is left: the next command starts.
    const qsizetype before = runs().size();
    find<QAction>("actionGet_Skunk_Serial")->trigger();
    QTRY_COMPARE(runs().size(), before + 1);
}

void BoardTest::paneFollowsEnd()
{
    auto *tabs = find<QTabWidget>("tabWidget");
    QScrollBar *bar = find<QTextBrowser>("outputBrowser")->verticalScrollBar();
    auto serialRead = [&](int run) {
        qputenv("JCP_SIM_STDOUT", QByteArray("serial ").repeated(400) + QByteArray::number(run));
        press(window.get(), Qt::Key_S);
        QTRY_VERIFY(lastLine().endsWith(QStringLiteral(" serial %1").arg(run)));
    };
    serialRead(0);
    tabs->setCurrentIndex(1);
    QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
    // Output that arrives behind the "Options" page is in view when it is shown.
    tabs->setCurrentIndex(0);
    for (int run = 1; run <= 4; ++run)
        serialRead(run);
    tabs->setCurrentIndex(1);
    QTRY_COMPARE(bar->value(), bar->maximum());

    // A view scrolled up to read stays where it was left.
    bar->setValue(10);
    serialRead(5);
    tabs->setCurrentIndex(0);
    serialRead(6);
    tabs->setCurrentIndex(1);
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 10);
}

QTEST_MAIN(BoardTest)
#include "tst_board.moc"
