// The window without a board: settings, the options' interlocks, the Rev 1
// switch, choosing a file and the keyboard's way round the window.
#include "tests/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <sys/stat.h>

using namespace TestSupport;

class WindowTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private slots:
    void init()
    {
        clearSettings();
        window = showWindow();
    }
    void settings();
    void fieldInterlock_data();
    void fieldInterlock();
    void rev1Switch_data();
    void rev1Switch();
    void selectFile_data();
    void selectFile();
    void tabRing_data();
    void tabRing();

private:
    std::unique_ptr<MainWindow> window;
};

void WindowTest::settings()
{
    QVERIFY(!find<QAction>("actionRev_1_Skunkboard")->isChecked());
    QVERIFY(!find<QAction>("actionUse_Word_Flash_Mode")->isChecked());
    QVERIFY(find<QAction>("actionDump_Bank2")->isEnabled());
    find<QAction>("actionRev_1_Skunkboard")->trigger();
    find<QAction>("actionUse_Word_Flash_Mode")->trigger();
    window.reset();
    QCOMPARE(setting("rev1"), QVariant(true));
    QCOMPARE(setting("wordflash"), QVariant(true));
    QCOMPARE(setting("defdir"), QVariant(QString()));

    // A stored Rev 1 board has no bank 2 from the start.
    window = showWindow();
    QVERIFY(find<QAction>("actionRev_1_Skunkboard")->isChecked());
    QVERIFY(find<QAction>("actionUse_Word_Flash_Mode")->isChecked());
    QVERIFY(!find<QAction>("actionDump_Bank2")->isEnabled());
    find<QGroupBox>("isFlash")->setChecked(true);
    QVERIFY(!find<QRadioButton>("bank2Radio")->isEnabled());
    QVERIFY(!find<QRadioButton>("bank6Radio")->isEnabled());
}

void WindowTest::fieldInterlock_data()
{
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("byKey");
    for (const bool byKey : {false, true}) {
        const char *how = byKey ? "space key" : "mouse";
        QTest::addRow("skip header, %s", how)
            << QByteArray("skipheaderCheck") << QByteArray("skipBytesval") << byKey;
        QTest::addRow("override, %s", how)
            << QByteArray("overrideCheck") << QByteArray("overrideAddress") << byKey;
    }
}

void WindowTest::fieldInterlock()
{
    QFETCH(QByteArray, box);
    QFETCH(QByteArray, field);
    QFETCH(bool, byKey);
    auto *check = find<QCheckBox>(box.constData());
    for (const bool checked : {true, false}) {
        if (byKey)
            QTest::keyClick(check, Qt::Key_Space);
        else
            QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        QCOMPARE(check->isChecked(), checked);
        QCOMPARE(find<QLineEdit>(field.constData())->isEnabled(), checked);
    }
}

void WindowTest::rev1Switch_data()
{
    QTest::addColumn<bool>("flash");
    QTest::newRow("flash checked") << true;
    QTest::newRow("flash unchecked") << false;
}

void WindowTest::rev1Switch()
{
    QFETCH(bool, flash);
    auto *isFlash = find<QGroupBox>("isFlash");
    auto *bank2 = find<QRadioButton>("bank2Radio");
    isFlash->setChecked(true);
    bank2->setChecked(true);
    isFlash->setChecked(flash);

    find<QAction>("actionRev_1_Skunkboard")->trigger();
    QVERIFY(find<QRadioButton>("bank1Radio")->isChecked());
    QVERIFY(!bank2->isEnabled() && !find<QRadioButton>("bank6Radio")->isEnabled());
    QVERIFY(!find<QAction>("actionDump_Bank2")->isEnabled());

    find<QAction>("actionRev_1_Skunkboard")->trigger();
    QVERIFY(find<QAction>("actionDump_Bank2")->isEnabled());
    QCOMPARE(isFlash->isChecked(), flash);
    QCOMPARE(bank2->isEnabled(), flash);
    // The banks come back with the box, even when it was unchecked.
    isFlash->setChecked(true);
    QVERIFY(bank2->isEnabled() && find<QRadioButton>("bank6Radio")->isEnabled());
}

void WindowTest::selectFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("becomes");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("warning");
    QTest::newRow("8k header") << "game 8k.bin"
                               << ""
                               << "0x802000"
                               << "";
    QTest::newRow("cancelled") << ""
                               << ""
                               << "0x1"
                               << "";
    QTest::newRow("vanished") << "gone.bin"
                              << "nothing"
                              << "0x1"
                              << "No such file or directory";
    QTest::newRow("folder") << "dir.bin"
                            << "folder"
                            << "0x1"
                            << "Is a directory";
    QTest::newRow("fifo, read without waiting") << "pipe.bin"
                                                << "fifo"
                                                << "0x4000"
                                                << "";
}

void WindowTest::selectFile()
{
    QFETCH(QString, name);
    QFETCH(QString, becomes);
    QFETCH(QString, warning);
    QByteArray image(8200, '\0');
    const QString path
        = name.isEmpty() ? QString() : writeFile(name, image.replace(1028, 3, "\x00\x80\x20", 3));
    find<QLineEdit>("overrideAddress")->setText(QStringLiteral("0x1"));

    QString warned;
    onNextModal([&](QWidget *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select file to load to Skunkboard"));
        if (name.isEmpty())
            return QTest::keyClick(dialog, Qt::Key_Escape);
        // The file changes between its choice and its reading.
        connect(qobject_cast<QFileDialog *>(dialog), &QFileDialog::fileSelected, this, [&] {
            if (!becomes.isEmpty())
                QFile::remove(path);
            if (becomes == QLatin1String("folder"))
                QDir().mkdir(path);
            if (becomes == QLatin1String("fifo"))
                ::mkfifo(QFile::encodeName(path).constData(), 0600);
        });
        if (!warning.isEmpty()) {
            onNextModal([&](QWidget *box) {
                warned = box->windowTitle() + '|' + qobject_cast<QMessageBox *>(box)->text();
                QTest::keyClick(box, Qt::Key_Return);
            });
        }
        answerFileDialog(dialog, path);
    });
    QTest::mouseClick(find<QPushButton>("fileSelect"), Qt::LeftButton);

    QTEST(find<QLineEdit>("overrideAddress")->text(), "address");
    QCOMPARE(find<QLineEdit>("filenameEdit")->text(), path);
    QCOMPARE(find<QGroupBox>("isFlash")->isChecked(), name == QLatin1String("game 8k.bin"));
    if (!warning.isEmpty())
        QCOMPARE(warned, QStringLiteral("Select File|Cannot read %1: %2").arg(path, warning));
    window.reset();
    QCOMPARE(setting("defdir").toString(), warning.isEmpty() ? path : QString());
}

void WindowTest::tabRing_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("ring");
    const QStringList head{"fileSelect", "filenameEdit", "doTransfer", "qt_tabwidget_tabbar"};
    QTest::newRow("options") << 0
                             << head
            + QStringList{"overrideCheck", "skipheaderCheck", "skipbootCheck", "isFlash",
                          "resetSkunk"};
    QTest::newRow("output") << 1 << head + QStringList{"outputBrowser"};
}

void WindowTest::tabRing()
{
    QFETCH(int, page);
    QFETCH(QStringList, ring);
    find<QTabWidget>("tabWidget")->setCurrentIndex(page);
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        find<QPushButton>("fileSelect")->setFocus();
        QStringList walked;
        for (qsizetype i = 0; i <= ring.size(); ++i) {
            walked << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), key);
        }
        QStringList expected = ring;
        if (key == Qt::Key_Backtab)
            std::reverse(expected.begin() + 1, expected.end());
        QCOMPARE(walked, expected << ring.first());
    }
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
