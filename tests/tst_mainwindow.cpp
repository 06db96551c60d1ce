#include "app/mainwindow.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>

#include <memory>

using TestSupport::child;
using TestSupport::showWindow;

// Records the URLs the window asks the desktop to open, so no browser starts.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void objectTree();
    void textsAndShortcuts();
    void menus();
    void startState();
    void fixedWidgetsKeepTheirSizeWhenTheWindowGrows();
    void tabWalksTheFocusChain();

    void settingsRev1Restored();
    void settingsTogglingAndClosingStores();
    void settingsWrittenByTheDestructor();

    void fieldInterlock_data();
    void fieldInterlock();
    void pressMoveOffRelease();
    void rev1Switch_data();
    void rev1Switch();
    void wordFlashSwitchChangesNoWidget();

    void aboutBoxByShortcut();
    void webLinks();
    void busyDialogStaysHiddenUntilUsed();
    void closingWhileAToolRunsIsSafe();
};

void TestMainWindow::init()
{
    TestSupport::startAsFirstRun();
}

void TestMainWindow::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

void TestMainWindow::objectTree()
{
    const QList<std::pair<const char *, QStringList>> byClass = {
        {"QAction",
         {"actionQuit", "actionReset_Skunk", "actionGet_Skunk_Serial", "actionUpdate_Skunk",
          "actionDump_bank1", "actionDump_Bank2", "actionAbout_Vantrel",
          "actionKestrovane_Home_Page", "actionDonation_page", "actionRev_1_Skunkboard",
          "actionUse_Word_Flash_Mode"}},
        {"QWidget", {"centralWidget", "tab", "layoutWidget", "tab_2"}},
        {"QGridLayout", {"gridLayout"}},
        {"QVBoxLayout", {"verticalLayout_2"}},
        {"QHBoxLayout", {"horizontalLayout", "horizontalLayout_2"}},
        {"QPushButton", {"fileSelect", "doTransfer", "resetSkunk"}},
        {"QLineEdit", {"filenameEdit", "overrideAddress", "skipBytesval"}},
        {"QTabWidget", {"tabWidget"}},
        {"QCheckBox", {"overrideCheck", "skipheaderCheck", "skipbootCheck"}},
        {"QGroupBox", {"isFlash"}},
        {"QRadioButton", {"bank1Radio", "bank2Radio", "bank6Radio"}},
        {"QTextBrowser", {"outputBrowser"}},
        {"QMenuBar", {"menuBar"}},
        {"QMenu", {"menuFile", "menuTools", "menuHelp"}},
        {"QStatusBar", {"statusBar"}},
    };
    MainWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    int count = 0;
    for (const auto &[className, names] : byClass) {
        for (const QString &name : names) {
            const QList<QObject *> found = window.findChildren<QObject *>(name);
            QVERIFY2(found.size() == 1, qPrintable(name));
            QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()),
                     QString::fromLatin1(className));
            ++count;
        }
    }
    QCOMPARE(count, 39);
}

void TestMainWindow::textsAndShortcuts()
{
    MainWindow window;
    QCOMPARE(window.size(), QSize(678, 264));
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Vantrel v 0.0.3 ")));
    QVERIFY(window.windowTitle().size() > QStringLiteral("Vantrel v 0.0.3 ").size());

    const QList<std::pair<const char *, const char *>> buttons
        = {{"fileSelect", "Select File"},
           {"doTransfer", "Go"},
           {"resetSkunk", "Reset Skunk"},
           {"overrideCheck", "Override Address"},
           {"skipheaderCheck", "Skip header bytes"},
           {"skipbootCheck", "Skip Boot"},
           {"bank1Radio", "Bank 1"},
           {"bank2Radio", "Bank 2"},
           {"bank6Radio", "6MB"}};
    for (const auto &[name, text] : buttons)
        QCOMPARE(child<QAbstractButton>(&window, name)->text(), QString::fromUtf8(text));

    const QList<std::tuple<const char *, const char *, const char *, bool>> actions
        = {{"actionQuit", "Quit", "Ctrl+Q", false},
           {"actionReset_Skunk", "Reset Skunk", "Ctrl+R", false},
           {"actionGet_Skunk_Serial", "Get Skunk Serial", "Ctrl+S", false},
           {"actionUpdate_Skunk", "Update Skunk", "Ctrl+U", false},
           {"actionDump_bank1", "Dump ROM Bank 1 to file", "Ctrl+1", false},
           {"actionDump_Bank2", "Dump ROM Bank 2 to file", "Ctrl+2", false},
           {"actionAbout_Vantrel", "About Vantrel", "Ctrl+A", false},
           {"actionKestrovane_Home_Page", "Kestrovane Home Page", "", false},
           {"actionDonation_page", "Donation page", "", false},
           {"actionRev_1_Skunkboard", "Rev 1 Skunkboard", "", true},
           {"actionUse_Word_Flash_Mode", "Use Word Flash Mode", "", true}};
    for (const auto &[name, text, shortcut, checkable] : actions) {
        auto *action = child<QAction>(&window, name);
        QCOMPARE(action->text(), QString::fromUtf8(text));
        QCOMPARE(action->shortcut(), QKeySequence(QString::fromLatin1(shortcut)));
        QCOMPARE(action->isCheckable(), checkable);
    }

    auto *tabs = child<QTabWidget>(&window, "tabWidget");
    QCOMPARE(tabs->tabText(0), QStringLiteral("Options"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Output"));
    auto *box = child<QGroupBox>(&window, "isFlash");
    QCOMPARE(box->title(), QStringLiteral("Is Flash?"));
    QCOMPARE(int(box->alignment()), 0x81);
    QVERIFY(box->isFlat());
    QVERIFY(box->isCheckable());
}

// A menu's entries as names, separators as "-".
static QStringList entries(QMenu *menu)
{
    QStringList names;
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions)
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return names;
}

void TestMainWindow::menus()
{
    MainWindow window;
    QStringList titles;
    const QList<QAction *> menuActions = window.menuBar()->actions();
    for (QAction *action : menuActions)
        titles << action->text();
    QCOMPARE(titles, QStringList({"File", "Tools", "Help"}));

    QCOMPARE(entries(child<QMenu>(&window, "menuFile")),
             QStringList({"actionDump_bank1", "actionDump_Bank2", "-", "actionQuit"}));
    QCOMPARE(entries(child<QMenu>(&window, "menuTools")),
             QStringList({"actionReset_Skunk", "actionGet_Skunk_Serial", "actionUpdate_Skunk", "-",
                          "actionRev_1_Skunkboard", "actionUse_Word_Flash_Mode"}));
    QCOMPARE(entries(child<QMenu>(&window, "menuHelp")),
             QStringList({"actionAbout_Vantrel", "-", "actionKestrovane_Home_Page",
                          "actionDonation_page"}));
}

void TestMainWindow::startState()
{
    MainWindow window;
    QCOMPARE(child<QTabWidget>(&window, "tabWidget")->currentIndex(), 0);
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isChecked());
    QVERIFY(!child<QGroupBox>(&window, "isFlash")->isChecked());
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"})
        QVERIFY2(!child<QRadioButton>(&window, name)->isEnabled(), name);
    QVERIFY(!child<QLineEdit>(&window, "overrideAddress")->isEnabled());
    QVERIFY(!child<QLineEdit>(&window, "skipBytesval")->isEnabled());
    QVERIFY(!child<QAction>(&window, "actionRev_1_Skunkboard")->isChecked());
    QVERIFY(!child<QAction>(&window, "actionUse_Word_Flash_Mode")->isChecked());
    QVERIFY(child<QAction>(&window, "actionDump_Bank2")->isEnabled());

    // The radio buttons are greyed out by the box, not on their own account.
    child<QGroupBox>(&window, "isFlash")->setChecked(true);
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"})
        QVERIFY2(child<QRadioButton>(&window, name)->isEnabled(), name);
}

void TestMainWindow::fixedWidgetsKeepTheirSizeWhenTheWindowGrows()
{
    auto window = showWindow();
    auto *edit = child<QLineEdit>(window.get(), "filenameEdit");
    auto *tabs = child<QTabWidget>(window.get(), "tabWidget");
    const int editWidth = edit->width();
    const QSize tabsSize = tabs->size();

    window->resize(1100, 700);
    QTRY_COMPARE(window->size(), QSize(1100, 700));
    QTRY_VERIFY(edit->width() > editWidth);
    QVERIFY(tabs->width() > tabsSize.width());
    QVERIFY(tabs->height() > tabsSize.height());
    QCOMPARE(child<QTextBrowser>(window.get(), "outputBrowser")->size(), QSize(631, 151));
    QCOMPARE(child<QGroupBox>(window.get(), "isFlash")->geometry(), QRect(400, 10, 221, 101));
    QCOMPARE(child<QPushButton>(window.get(), "resetSkunk")->geometry(), QRect(280, 100, 96, 24));
    window->close();
}

// The name a widget goes by in the focus chain: a tab widget takes focus
// through its tab bar, its focus proxy.
static QString chainName(QWidget *widget)
{
    QWidget *parent = widget->parentWidget();
    if (parent && parent->focusProxy() == widget)
        return parent->objectName();
    return widget->objectName();
}

void TestMainWindow::tabWalksTheFocusChain()
{
    auto window = showWindow();
    // Make every field of the options page reachable, as a user would.
    QTest::mouseClick(child<QCheckBox>(window.get(), "overrideCheck"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(window.get(), "skipheaderCheck"), Qt::LeftButton);
    child<QGroupBox>(window.get(), "isFlash")->setChecked(true);

    child<QWidget>(window.get(), "fileSelect")->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(window.get(), "fileSelect"));
    QStringList walked{chainName(QApplication::focusWidget())};
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << chainName(QApplication::focusWidget());
    }
    // Tab enters the radio group at its checked button only; the output pane
    // sits on the hidden page.
    QCOMPARE(walked,
             QStringList({"fileSelect", "filenameEdit", "doTransfer", "tabWidget", "overrideCheck",
                          "overrideAddress", "skipheaderCheck", "skipBytesval", "skipbootCheck",
                          "isFlash", "bank1Radio", "resetSkunk"}));

    // On the output page the pane follows the tab bar.
    QTest::keyClick(child<QTabWidget>(window.get(), "tabWidget"), Qt::Key_Tab, Qt::ControlModifier);
    child<QWidget>(window.get(), "doTransfer")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("outputBrowser"));
    window->close();
}

void TestMainWindow::settingsRev1Restored()
{
    QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
        .setValue(QStringLiteral("rev1"), true);
    MainWindow window;
    QVERIFY(child<QAction>(&window, "actionRev_1_Skunkboard")->isChecked());
    QVERIFY(!child<QAction>(&window, "actionDump_Bank2")->isEnabled());
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isChecked());
    child<QGroupBox>(&window, "isFlash")->setChecked(true);
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(&window, "bank2Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(&window, "bank6Radio")->isEnabled());
}

void TestMainWindow::settingsTogglingAndClosingStores()
{
    {
        auto window = showWindow();
        child<QAction>(window.get(), "actionRev_1_Skunkboard")->trigger();
        child<QAction>(window.get(), "actionUse_Word_Flash_Mode")->trigger();
        QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!window->isVisible());
        // Nothing is stored while the window lives.
        QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
        QVERIFY(!settings.contains(QStringLiteral("rev1")));
    }
    QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
    QCOMPARE(settings.value(QStringLiteral("rev1")).toBool(), true);
    QCOMPARE(settings.value(QStringLiteral("wordflash")).toBool(), true);

    MainWindow next;
    QVERIFY(child<QAction>(&next, "actionRev_1_Skunkboard")->isChecked());
    QVERIFY(child<QAction>(&next, "actionUse_Word_Flash_Mode")->isChecked());
}

void TestMainWindow::settingsWrittenByTheDestructor()
{
    {
        QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
        settings.setValue(QStringLiteral("defdir"), QStringLiteral("/tmp/кириллица/a.rom"));
        settings.setValue(QStringLiteral("rev1"), true);
    }
    {
        MainWindow window;
        child<QAction>(&window, "actionRev_1_Skunkboard")->trigger();
    }
    QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
    QCOMPARE(settings.value(QStringLiteral("defdir")).toString(),
             QStringLiteral("/tmp/кириллица/a.rom"));
    QCOMPARE(settings.value(QStringLiteral("rev1")).toBool(), false);
    QVERIFY(settings.contains(QStringLiteral("wordflash")));
    QCOMPARE(settings.value(QStringLiteral("wordflash")).toBool(), false);
}

void TestMainWindow::fieldInterlock_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("byKey");
    for (const bool byKey : {false, true}) {
        const char *how = byKey ? "space key" : "mouse";
        QTest::addRow("skip header, %s", how) << "skipheaderCheck"
                                              << "skipBytesval" << byKey;
        QTest::addRow("override address, %s", how) << "overrideCheck"
                                                   << "overrideAddress" << byKey;
    }
}

void TestMainWindow::fieldInterlock()
{
    QFETCH(QString, box);
    QFETCH(QString, field);
    QFETCH(bool, byKey);

    auto window = showWindow();
    auto *check = child<QCheckBox>(window.get(), box.toLatin1().constData());
    auto *edit = child<QLineEdit>(window.get(), field.toLatin1().constData());
    check->setFocus();
    QTRY_VERIFY(check->hasFocus());
    const auto press = [&] {
        byKey ? QTest::keyPress(check, Qt::Key_Space) : QTest::mousePress(check, Qt::LeftButton);
    };
    const auto release = [&] {
        byKey ? QTest::keyRelease(check, Qt::Key_Space)
              : QTest::mouseRelease(check, Qt::LeftButton);
    };

    // The slot runs on the press, before the box toggles.
    press();
    QVERIFY(edit->isEnabled());
    QVERIFY(!check->isChecked());
    release();
    QVERIFY(check->isChecked());
    QVERIFY(edit->isEnabled());

    press();
    QVERIFY(!edit->isEnabled());
    QVERIFY(check->isChecked());
    release();
    QVERIFY(!check->isChecked());
    QVERIFY(!edit->isEnabled());
    window->close();
}

void TestMainWindow::pressMoveOffRelease()
{
    auto window = showWindow();
    for (const auto &[box, field] : {std::pair{"skipheaderCheck", "skipBytesval"},
                                     std::pair{"overrideCheck", "overrideAddress"}}) {
        auto *check = child<QCheckBox>(window.get(), box);
        auto *edit = child<QLineEdit>(window.get(), field);
        const QPoint away(check->width() + 200, check->height() + 200);

        // Press, leave the box, release: the box keeps its state but the
        // field already followed the press.
        QTest::mousePress(check, Qt::LeftButton);
        QTest::mouseMove(check, away);
        QTest::mouseRelease(check, Qt::LeftButton, {}, away);
        QVERIFY2(!check->isChecked(), box);
        QVERIFY2(edit->isEnabled(), field);

        // The next press on the unchecked box enables the field again, and
        // the completed click checks the box: the two are back in step.
        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY2(check->isChecked() && edit->isEnabled(), box);
        QTest::mouseClick(check, Qt::LeftButton);
        QVERIFY2(!check->isChecked() && !edit->isEnabled(), box);
    }
    window->close();
}

void TestMainWindow::rev1Switch_data()
{
    QTest::addColumn<bool>("turnOn");
    QTest::addColumn<bool>("flash");
    QTest::newRow("on, Is Flash? unchecked") << true << false;
    QTest::newRow("on, Is Flash? checked") << true << true;
    QTest::newRow("off, Is Flash? unchecked") << false << false;
    QTest::newRow("off, Is Flash? checked") << false << true;
}

void TestMainWindow::rev1Switch()
{
    QFETCH(bool, turnOn);
    QFETCH(bool, flash);

    QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
        .setValue(QStringLiteral("rev1"), !turnOn);
    MainWindow window;
    auto *box = child<QGroupBox>(&window, "isFlash");
    box->setChecked(flash);
    if (turnOn)
        child<QRadioButton>(&window, "bank6Radio")->setChecked(true);
    auto *rev1 = child<QAction>(&window, "actionRev_1_Skunkboard");
    rev1->trigger();

    QCOMPARE(rev1->isChecked(), turnOn);
    QCOMPARE(child<QAction>(&window, "actionDump_Bank2")->isEnabled(), !turnOn);
    QCOMPARE(box->isChecked(), flash);
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isChecked());
    QCOMPARE(child<QRadioButton>(&window, "bank1Radio")->isEnabled(), flash);
    for (const char *name : {"bank2Radio", "bank6Radio"})
        QVERIFY2(child<QRadioButton>(&window, name)->isEnabled() == (flash && !turnOn), name);

    // Checking the box later enables what the switch allows.
    box->setChecked(false);
    box->setChecked(true);
    for (const char *name : {"bank2Radio", "bank6Radio"})
        QVERIFY2(child<QRadioButton>(&window, name)->isEnabled() == !turnOn, name);
}

void TestMainWindow::wordFlashSwitchChangesNoWidget()
{
    MainWindow window;
    const QList<QWidget *> widgets = window.findChildren<QWidget *>();
    QList<bool> enabledBefore;
    for (QWidget *widget : widgets)
        enabledBefore << widget->isEnabled();

    child<QAction>(&window, "actionUse_Word_Flash_Mode")->trigger();
    QVERIFY(child<QAction>(&window, "actionUse_Word_Flash_Mode")->isChecked());
    for (int i = 0; i < widgets.size(); ++i)
        QCOMPARE(widgets.at(i)->isEnabled(), enabledBefore.at(i));
    QVERIFY(TestSupport::recordedRuns().isEmpty());
}

void TestMainWindow::aboutBoxByShortcut()
{
    auto window = showWindow();
    QString title;
    QString text;
    TestSupport::onNextDialog<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
    QTRY_VERIFY(!title.isEmpty());
    QCOMPARE(title, QStringLiteral("About Vantrel"));
    QVERIFY(text.startsWith(QStringLiteral("<h2>Vantrel 0.0.3</h2><p>")));
    const qsizetype copyright = text.indexOf(QStringLiteral("<p>"));
    const qsizetype purpose = text.indexOf(QStringLiteral(
        "<p>Vantrel is a graphical front end for skunkboard users. Vantrel simplifies using "
        "your skunkboard with your Jaguar."));
    QVERIFY(copyright > 0);
    QVERIFY(purpose > copyright);
    QVERIFY(text.mid(copyright, purpose - copyright).contains(QStringLiteral("Copyright")));
    QVERIFY(text.endsWith(QStringLiteral("with your Jaguar.")));
    QVERIFY(!text.contains(QStringLiteral("</p>")));
    window->close();
}

void TestMainWindow::webLinks()
{
    UrlCatcher catcher;
    for (const char *scheme : {"http", "https"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    auto window = showWindow();

    child<QAction>(window.get(), "actionKestrovane_Home_Page")->trigger();
    child<QAction>(window.get(), "actionDonation_page")->trigger();
    QCOMPARE(catcher.urls.size(), 2);
    const QUrl home = catcher.urls.at(0);
    const QUrl donate = catcher.urls.at(1);
    QVERIFY(home.isValid());
    QVERIFY(!home.host().isEmpty());
    QCOMPARE(donate.host(), home.host());
    QCOMPARE(donate.path(), QStringLiteral("/donate.html"));
    QVERIFY(home != donate);
    QCOMPARE(TestSupport::visibleTopLevels(), QList<QWidget *>{window.get()});

    for (const char *scheme : {"http", "https"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    window->close();
}

void TestMainWindow::busyDialogStaysHiddenUntilUsed()
{
    auto window = showWindow();
    // A progress dialog would pop up on its own about four seconds in.
    QTest::qWait(5500);
    QCOMPARE(TestSupport::visibleTopLevels(), QList<QWidget *>{window.get()});
    QCOMPARE(window->findChildren<QProgressDialog *>().size(), 0);
    window->close();
}

void TestMainWindow::closingWhileAToolRunsIsSafe()
{
    {
        QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
        settings.setValue(QStringLiteral("defdir"), QStringLiteral("/tmp/kept.rom"));
    }
    // A tool that keeps printing well after the window is gone.
    qputenv("JCP_SIM_SLEEP_MS", "20000");
    qputenv("JCP_SIM_STDOUT", "late output");
    QElapsedTimer clock;
    {
        auto window = showWindow();
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(TestSupport::recordedRuns().size(), 1);
        window->close();
        clock.start();
    }
    // Closing does not wait for the whole run, and nothing ran on the
    // destroyed window (a crash would end the test here).
    QVERIFY(clock.elapsed() < 15000);
    QTest::qWait(100);
    QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
    QCOMPARE(settings.value(QStringLiteral("defdir")).toString(), QStringLiteral("/tmp/kept.rom"));

    // A short run is allowed to finish on its own: closing waits for it.
    qputenv("JCP_SIM_SLEEP_MS", "600");
    {
        auto window = showWindow();
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(TestSupport::recordedRuns().size(), 2);
        window->close();
        clock.restart();
    }
    QVERIFY(clock.elapsed() >= 300);
    QCOMPARE(TestSupport::recordedRuns().at(1), QStringList{"-r"});
}

VANTREL_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
