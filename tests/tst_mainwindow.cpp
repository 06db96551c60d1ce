#include "app/mainwindow.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaMethod>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

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

    void objectTree_data();
    void objectTree();
    void slotTable();
    void texts_data();
    void texts();
    void actions_data();
    void actions();
    void menus();
    void geometryAndLayouts();
    void isFlashGroupBox();
    void startState();
    void fixedWidgetsKeepTheirSizeWhenTheWindowGrows();
    void focusChain();
    void tabWalksTheVisibleChain();

    void settingsFirstStartDefaults();
    void settingsRev1Restored();
    void settingsWordFlashOnlyChecksTheSwitch();
    void settingsTogglingAndClosingStores();
    void settingsWrittenByTheDestructor();

    void fieldInterlockByMouse_data();
    void fieldInterlockByMouse();
    void fieldInterlockBySpaceKey_data();
    void fieldInterlockBySpaceKey();
    void pressMoveOffRelease_data();
    void pressMoveOffRelease();
    void rev1SwitchOnWithIsFlashUnchecked();
    void rev1SwitchOnWithIsFlashChecked();
    void rev1SwitchOffWithIsFlashUnchecked();
    void rev1SwitchOffWithIsFlashChecked();
    void wordFlashSwitchChangesNoWidget();

    void aboutBoxByShortcut();
    void webLinks_data();
    void webLinks();
    void quitClosesTheWindow();

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

void TestMainWindow::objectTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");

    const QList<std::pair<const char *, const char *>> objects = {
        {"actionQuit", "QAction"},
        {"actionReset_Skunk", "QAction"},
        {"actionGet_Skunk_Serial", "QAction"},
        {"actionUpdate_Skunk", "QAction"},
        {"actionDump_bank1", "QAction"},
        {"actionDump_Bank2", "QAction"},
        {"actionAbout_Vantrel", "QAction"},
        {"actionKestrovane_Home_Page", "QAction"},
        {"actionDonation_page", "QAction"},
        {"actionRev_1_Skunkboard", "QAction"},
        {"actionUse_Word_Flash_Mode", "QAction"},
        {"centralWidget", "QWidget"},
        {"gridLayout", "QGridLayout"},
        {"fileSelect", "QPushButton"},
        {"filenameEdit", "QLineEdit"},
        {"doTransfer", "QPushButton"},
        {"tabWidget", "QTabWidget"},
        {"tab", "QWidget"},
        {"resetSkunk", "QPushButton"},
        {"layoutWidget", "QWidget"},
        {"verticalLayout_2", "QVBoxLayout"},
        {"horizontalLayout", "QHBoxLayout"},
        {"overrideCheck", "QCheckBox"},
        {"overrideAddress", "QLineEdit"},
        {"horizontalLayout_2", "QHBoxLayout"},
        {"skipheaderCheck", "QCheckBox"},
        {"skipBytesval", "QLineEdit"},
        {"skipbootCheck", "QCheckBox"},
        {"isFlash", "QGroupBox"},
        {"bank1Radio", "QRadioButton"},
        {"bank2Radio", "QRadioButton"},
        {"bank6Radio", "QRadioButton"},
        {"tab_2", "QWidget"},
        {"outputBrowser", "QTextBrowser"},
        {"menuBar", "QMenuBar"},
        {"menuFile", "QMenu"},
        {"menuTools", "QMenu"},
        {"menuHelp", "QMenu"},
        {"statusBar", "QStatusBar"},
    };
    QCOMPARE(objects.size(), 39);
    for (const auto &[name, className] : objects)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(className);
}

void TestMainWindow::objectTree()
{
    QFETCH(QString, name);
    QFETCH(QString, className);

    MainWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    const QList<QObject *> found = window.findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QString::fromLatin1(found.first()->metaObject()->className()), className);
}

void TestMainWindow::slotTable()
{
    MainWindow window;
    const QMetaObject *meta = window.metaObject();
    QCOMPARE(QString::fromLatin1(meta->className()), QStringLiteral("MainWindow"));
    const QStringList expected = {
        "outputCommand()",   "outputFinished()", "doCommand()",    "selectFile()",
        "resetSkunk()",      "skunkSerial()",    "updateSkunk()",  "skipHeader()",
        "overrideAddress()", "parseFile(FILE*)", "Dump2RomFile()", "Dump1RomFile()",
        "about()",           "donate()",         "homepage()",     "rev1skunk()",
    };
    QCOMPARE(meta->methodCount() - meta->methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        QCOMPARE(QString::fromLatin1(method.methodSignature()), expected.at(i));
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
    }
    QCOMPARE(meta->propertyCount(), meta->propertyOffset());
}

void TestMainWindow::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("fileSelect") << "fileSelect"
                                << "Select File";
    QTest::newRow("doTransfer") << "doTransfer"
                                << "Go";
    QTest::newRow("resetSkunk") << "resetSkunk"
                                << "Reset Skunk";
    QTest::newRow("overrideCheck") << "overrideCheck"
                                   << "Override Address";
    QTest::newRow("skipheaderCheck") << "skipheaderCheck"
                                     << "Skip header bytes";
    QTest::newRow("skipbootCheck") << "skipbootCheck"
                                   << "Skip Boot";
    QTest::newRow("bank1Radio") << "bank1Radio"
                                << "Bank 1";
    QTest::newRow("bank2Radio") << "bank2Radio"
                                << "Bank 2";
    QTest::newRow("bank6Radio") << "bank6Radio"
                                << "6MB";
}

void TestMainWindow::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    MainWindow window;
    auto *button = window.findChild<QAbstractButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), text);
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("checkable");

    QTest::newRow("quit") << "actionQuit"
                          << "Quit" << QKeySequence("Ctrl+Q") << false;
    QTest::newRow("reset") << "actionReset_Skunk"
                           << "Reset Skunk" << QKeySequence("Ctrl+R") << false;
    QTest::newRow("serial") << "actionGet_Skunk_Serial"
                            << "Get Skunk Serial" << QKeySequence("Ctrl+S") << false;
    QTest::newRow("update") << "actionUpdate_Skunk"
                            << "Update Skunk" << QKeySequence("Ctrl+U") << false;
    QTest::newRow("dump 1") << "actionDump_bank1"
                            << "Dump ROM Bank 1 to file" << QKeySequence("Ctrl+1") << false;
    QTest::newRow("dump 2") << "actionDump_Bank2"
                            << "Dump ROM Bank 2 to file" << QKeySequence("Ctrl+2") << false;
    QTest::newRow("about") << "actionAbout_Vantrel"
                           << "About Vantrel" << QKeySequence("Ctrl+A") << false;
    QTest::newRow("home page") << "actionKestrovane_Home_Page"
                               << "Kestrovane Home Page" << QKeySequence() << false;
    QTest::newRow("donation") << "actionDonation_page"
                              << "Donation page" << QKeySequence() << false;
    QTest::newRow("rev 1") << "actionRev_1_Skunkboard"
                           << "Rev 1 Skunkboard" << QKeySequence() << true;
    QTest::newRow("word flash") << "actionUse_Word_Flash_Mode"
                                << "Use Word Flash Mode" << QKeySequence() << true;
}

void TestMainWindow::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, checkable);

    MainWindow window;
    auto *action = window.findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(action->parent(), &window);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut(), shortcut);
    QCOMPARE(action->isCheckable(), checkable);
    QVERIFY(!action->isChecked());
    QVERIFY(action->isEnabled());
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
    auto *menuBar = child<QMenuBar>(&window, "menuBar");
    QCOMPARE(window.menuBar(), menuBar);

    QStringList titles;
    const QList<QAction *> menuActions = menuBar->actions();
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
    QCOMPARE(window.statusBar(), child<QStatusBar>(&window, "statusBar"));
}

void TestMainWindow::geometryAndLayouts()
{
    MainWindow window;
    QCOMPARE(window.size(), QSize(678, 264));
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Vantrel v 0.0.3 ")));
    QVERIFY(window.windowTitle().size() > QStringLiteral("Vantrel v 0.0.3 ").size());
    QCOMPARE(window.centralWidget(), child<QWidget>(&window, "centralWidget"));

    auto *grid = child<QGridLayout>(&window, "gridLayout");
    QCOMPARE(grid->spacing(), 6);
    QCOMPARE(grid->contentsMargins(), QMargins(11, 11, 11, 11));
    int row, column, rowSpan, columnSpan;
    const QList<std::tuple<const char *, int, int, int, int>> cells = {{"fileSelect", 0, 0, 1, 1},
                                                                       {"filenameEdit", 0, 1, 1, 1},
                                                                       {"doTransfer", 0, 2, 1, 1},
                                                                       {"tabWidget", 1, 0, 1, 3}};
    for (const auto &[name, r, c, rs, cs] : cells) {
        const int index = grid->indexOf(child<QWidget>(&window, name));
        QVERIFY2(index >= 0, name);
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(std::make_tuple(row, column, rowSpan, columnSpan), std::make_tuple(r, c, rs, cs));
    }

    auto *vertical = child<QVBoxLayout>(&window, "verticalLayout_2");
    QCOMPARE(vertical->spacing(), 6);
    QCOMPARE(vertical->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(vertical->count(), 3);
    QCOMPARE(vertical->itemAt(0)->layout(), child<QHBoxLayout>(&window, "horizontalLayout"));
    QCOMPARE(vertical->itemAt(1)->layout(), child<QHBoxLayout>(&window, "horizontalLayout_2"));
    QCOMPARE(vertical->itemAt(2)->widget(), child<QWidget>(&window, "skipbootCheck"));
    for (const char *name : {"horizontalLayout", "horizontalLayout_2"}) {
        auto *row = child<QHBoxLayout>(&window, name);
        QCOMPARE(row->spacing(), 6);
        QCOMPARE(row->count(), 2);
    }
    auto *overrideRow = child<QHBoxLayout>(&window, "horizontalLayout");
    QCOMPARE(overrideRow->itemAt(0)->widget(), child<QWidget>(&window, "overrideCheck"));
    QCOMPARE(overrideRow->itemAt(1)->widget(), child<QWidget>(&window, "overrideAddress"));
    auto *skipRow = child<QHBoxLayout>(&window, "horizontalLayout_2");
    QCOMPARE(skipRow->itemAt(0)->widget(), child<QWidget>(&window, "skipheaderCheck"));
    QCOMPARE(skipRow->itemAt(1)->widget(), child<QWidget>(&window, "skipBytesval"));

    const QList<std::tuple<const char *, const char *, QRect>> fixed = {
        {"resetSkunk", "tab", QRect(280, 100, 96, 24)},
        {"layoutWidget", "tab", QRect(20, 10, 268, 87)},
        {"isFlash", "tab", QRect(400, 10, 221, 101)},
        {"bank1Radio", "isFlash", QRect(21, 34, 64, 21)},
        {"bank2Radio", "isFlash", QRect(89, 34, 64, 21)},
        {"bank6Radio", "isFlash", QRect(157, 34, 49, 21)},
        {"outputBrowser", "tab_2", QRect(0, 0, 631, 151)},
    };
    for (const auto &[name, parent, geometry] : fixed) {
        auto *widget = child<QWidget>(&window, name);
        QCOMPARE(widget->parentWidget(), child<QWidget>(&window, parent));
        QCOMPARE(widget->geometry(), geometry);
    }
    for (const char *name :
         {"overrideCheck", "overrideAddress", "skipheaderCheck", "skipBytesval", "skipbootCheck"})
        QCOMPARE(child<QWidget>(&window, name)->parentWidget(),
                 child<QWidget>(&window, "layoutWidget"));

    auto *tabs = child<QTabWidget>(&window, "tabWidget");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->widget(0), child<QWidget>(&window, "tab"));
    QCOMPARE(tabs->widget(1), child<QWidget>(&window, "tab_2"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("Options"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Output"));
}

void TestMainWindow::isFlashGroupBox()
{
    MainWindow window;
    auto *box = child<QGroupBox>(&window, "isFlash");
    QCOMPARE(box->title(), QStringLiteral("Is Flash?"));
    QCOMPARE(int(box->alignment()), 0x81);
    QVERIFY(box->isFlat());
    QVERIFY(box->isCheckable());
    QVERIFY(!box->isChecked());
    QVERIFY(!box->acceptDrops());
    QVERIFY(!box->autoFillBackground());
}

void TestMainWindow::startState()
{
    MainWindow window;
    QCOMPARE(child<QTabWidget>(&window, "tabWidget")->currentIndex(), 0);
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isChecked());
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"}) {
        auto *radio = child<QRadioButton>(&window, name);
        QVERIFY2(!radio->isEnabled(), name);
        // Greyed out by the unchecked box, not on their own account.
        QVERIFY2(!radio->testAttribute(Qt::WA_ForceDisabled), name);
    }
    for (const char *name : {"overrideCheck", "skipheaderCheck", "skipbootCheck"})
        QVERIFY2(!child<QCheckBox>(&window, name)->isChecked(), name);
    for (const char *name : {"filenameEdit", "overrideAddress", "skipBytesval"})
        QVERIFY2(child<QLineEdit>(&window, name)->text().isEmpty(), name);
    QVERIFY(child<QLineEdit>(&window, "filenameEdit")->isEnabled());
    QVERIFY(!child<QLineEdit>(&window, "overrideAddress")->isEnabled());
    QVERIFY(!child<QLineEdit>(&window, "skipBytesval")->isEnabled());
    QVERIFY(child<QTextBrowser>(&window, "outputBrowser")->toPlainText().isEmpty());

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

void TestMainWindow::focusChain()
{
    MainWindow window;
    const QStringList chain
        = {"fileSelect",      "filenameEdit",    "doTransfer",   "tabWidget",     "overrideCheck",
           "overrideAddress", "skipheaderCheck", "skipBytesval", "skipbootCheck", "isFlash",
           "bank1Radio",      "bank2Radio",      "bank6Radio",   "resetSkunk",    "outputBrowser"};
    // Follow the chain from its first widget and keep the named members in
    // the order they come.
    QStringList seen;
    QWidget *widget = child<QWidget>(&window, "fileSelect");
    for (int steps = 0; steps < 200 && seen.size() < chain.size(); ++steps) {
        const QString name = chainName(widget);
        if (chain.contains(name) && !seen.contains(name))
            seen << name;
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(seen, chain);
}

void TestMainWindow::tabWalksTheVisibleChain()
{
    auto window = showWindow();
    // Make every field of the options page reachable, as a user would.
    QTest::mouseClick(child<QCheckBox>(window.get(), "overrideCheck"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(window.get(), "skipheaderCheck"), Qt::LeftButton);
    child<QGroupBox>(window.get(), "isFlash")->setChecked(true);

    child<QWidget>(window.get(), "fileSelect")->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(window.get(), "fileSelect"));
    QStringList walked{chainName(QApplication::focusWidget())};
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << chainName(QApplication::focusWidget());
    }
    // Tab enters the radio group at its checked button only; the output pane
    // sits on the hidden page.
    QCOMPARE(walked,
             QStringList({"fileSelect", "filenameEdit", "doTransfer", "tabWidget", "overrideCheck",
                          "overrideAddress", "skipheaderCheck", "skipBytesval", "skipbootCheck",
                          "isFlash", "bank1Radio"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("resetSkunk"));
    window->close();
}

void TestMainWindow::settingsFirstStartDefaults()
{
    MainWindow window;
    QVERIFY(!child<QAction>(&window, "actionRev_1_Skunkboard")->isChecked());
    QVERIFY(!child<QAction>(&window, "actionUse_Word_Flash_Mode")->isChecked());
    QVERIFY(child<QAction>(&window, "actionDump_Bank2")->isEnabled());
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"})
        QVERIFY2(!child<QRadioButton>(&window, name)->testAttribute(Qt::WA_ForceDisabled), name);
}

void TestMainWindow::settingsRev1Restored()
{
    {
        QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
        settings.setValue(QStringLiteral("rev1"), true);
    }
    MainWindow window;
    QVERIFY(child<QAction>(&window, "actionRev_1_Skunkboard")->isChecked());
    QVERIFY(!child<QAction>(&window, "actionDump_Bank2")->isEnabled());
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isChecked());
    auto *box = child<QGroupBox>(&window, "isFlash");
    QVERIFY(!box->isChecked());

    box->setChecked(true);
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(&window, "bank2Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(&window, "bank6Radio")->isEnabled());
}

void TestMainWindow::settingsWordFlashOnlyChecksTheSwitch()
{
    {
        QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
        settings.setValue(QStringLiteral("wordflash"), true);
    }
    MainWindow window;
    QVERIFY(child<QAction>(&window, "actionUse_Word_Flash_Mode")->isChecked());
    QVERIFY(!child<QAction>(&window, "actionRev_1_Skunkboard")->isChecked());
    QVERIFY(child<QAction>(&window, "actionDump_Bank2")->isEnabled());
    child<QGroupBox>(&window, "isFlash")->setChecked(true);
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"})
        QVERIFY2(child<QRadioButton>(&window, name)->isEnabled(), name);
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
    QVERIFY(!child<QAction>(&next, "actionDump_Bank2")->isEnabled());
}

void TestMainWindow::settingsWrittenByTheDestructor()
{
    {
        QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
        settings.setValue(QStringLiteral("defdir"), QStringLiteral("/tmp/кириллица/a.rom"));
        settings.setValue(QStringLiteral("rev1"), true);
        settings.setValue(QStringLiteral("wordflash"), false);
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

void TestMainWindow::fieldInterlockByMouse_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("field");
    QTest::newRow("skip header") << "skipheaderCheck"
                                 << "skipBytesval";
    QTest::newRow("override address") << "overrideCheck"
                                      << "overrideAddress";
}

void TestMainWindow::fieldInterlockByMouse()
{
    QFETCH(QString, box);
    QFETCH(QString, field);

    auto window = showWindow();
    auto *check = child<QCheckBox>(window.get(), box.toLatin1().constData());
    auto *edit = child<QLineEdit>(window.get(), field.toLatin1().constData());

    // The slot runs on the press, before the box toggles.
    QTest::mousePress(check, Qt::LeftButton);
    QVERIFY(edit->isEnabled());
    QVERIFY(!check->isChecked());
    QTest::mouseRelease(check, Qt::LeftButton);
    QVERIFY(check->isChecked());
    QVERIFY(edit->isEnabled());

    QTest::mousePress(check, Qt::LeftButton);
    QVERIFY(!edit->isEnabled());
    QVERIFY(check->isChecked());
    QTest::mouseRelease(check, Qt::LeftButton);
    QVERIFY(!check->isChecked());
    QVERIFY(!edit->isEnabled());
    window->close();
}

void TestMainWindow::fieldInterlockBySpaceKey_data()
{
    fieldInterlockByMouse_data();
}

void TestMainWindow::fieldInterlockBySpaceKey()
{
    QFETCH(QString, box);
    QFETCH(QString, field);

    auto window = showWindow();
    auto *check = child<QCheckBox>(window.get(), box.toLatin1().constData());
    auto *edit = child<QLineEdit>(window.get(), field.toLatin1().constData());
    check->setFocus();
    QTRY_VERIFY(check->hasFocus());

    QTest::keyPress(check, Qt::Key_Space);
    QVERIFY(edit->isEnabled());
    QVERIFY(!check->isChecked());
    QTest::keyRelease(check, Qt::Key_Space);
    QVERIFY(check->isChecked());

    QTest::keyClick(check, Qt::Key_Space);
    QVERIFY(!check->isChecked());
    QVERIFY(!edit->isEnabled());
    window->close();
}

void TestMainWindow::pressMoveOffRelease_data()
{
    fieldInterlockByMouse_data();
}

void TestMainWindow::pressMoveOffRelease()
{
    QFETCH(QString, box);
    QFETCH(QString, field);

    auto window = showWindow();
    auto *check = child<QCheckBox>(window.get(), box.toLatin1().constData());
    auto *edit = child<QLineEdit>(window.get(), field.toLatin1().constData());

    // Press, leave the box, release: the box keeps its state but the field
    // already followed the press.
    QTest::mousePress(check, Qt::LeftButton);
    QTest::mouseMove(check, QPoint(check->width() + 200, check->height() + 200));
    QTest::mouseRelease(check, Qt::LeftButton, {},
                        QPoint(check->width() + 200, check->height() + 200));
    QVERIFY(!check->isChecked());
    QVERIFY(edit->isEnabled());

    // The next press on the unchecked box enables the field again, and the
    // completed click checks the box: the two are back in step.
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(check->isChecked());
    QVERIFY(edit->isEnabled());
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(!check->isChecked());
    QVERIFY(!edit->isEnabled());
    window->close();
}

void TestMainWindow::rev1SwitchOnWithIsFlashUnchecked()
{
    MainWindow window;
    child<QRadioButton>(&window, "bank6Radio")->setChecked(true);
    child<QAction>(&window, "actionRev_1_Skunkboard")->trigger();

    QVERIFY(child<QAction>(&window, "actionRev_1_Skunkboard")->isChecked());
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isChecked());
    QVERIFY(!child<QRadioButton>(&window, "bank6Radio")->isChecked());
    QVERIFY(!child<QAction>(&window, "actionDump_Bank2")->isEnabled());
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"})
        QVERIFY2(!child<QRadioButton>(&window, name)->isEnabled(), name);

    auto *box = child<QGroupBox>(&window, "isFlash");
    box->setChecked(true);
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(&window, "bank2Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(&window, "bank6Radio")->isEnabled());
    box->setChecked(false);
    box->setChecked(true);
    QVERIFY(!child<QRadioButton>(&window, "bank2Radio")->isEnabled());
}

void TestMainWindow::rev1SwitchOnWithIsFlashChecked()
{
    MainWindow window;
    child<QGroupBox>(&window, "isFlash")->setChecked(true);
    child<QRadioButton>(&window, "bank2Radio")->setChecked(true);
    child<QAction>(&window, "actionRev_1_Skunkboard")->trigger();

    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isChecked());
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(&window, "bank2Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(&window, "bank6Radio")->isEnabled());
    QVERIFY(child<QGroupBox>(&window, "isFlash")->isChecked());
}

void TestMainWindow::rev1SwitchOffWithIsFlashUnchecked()
{
    MainWindow window;
    auto *rev1 = child<QAction>(&window, "actionRev_1_Skunkboard");
    rev1->trigger();
    rev1->trigger();

    QVERIFY(!rev1->isChecked());
    QVERIFY(child<QAction>(&window, "actionDump_Bank2")->isEnabled());
    auto *box = child<QGroupBox>(&window, "isFlash");
    QVERIFY(!box->isChecked());
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"}) {
        auto *radio = child<QRadioButton>(&window, name);
        QVERIFY2(!radio->isEnabled(), name);
        QVERIFY2(!radio->testAttribute(Qt::WA_ForceDisabled), name);
    }
    box->setChecked(true);
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"})
        QVERIFY2(child<QRadioButton>(&window, name)->isEnabled(), name);
}

void TestMainWindow::rev1SwitchOffWithIsFlashChecked()
{
    {
        QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
        settings.setValue(QStringLiteral("rev1"), true);
    }
    MainWindow window;
    child<QGroupBox>(&window, "isFlash")->setChecked(true);
    child<QAction>(&window, "actionRev_1_Skunkboard")->trigger();

    QVERIFY(child<QGroupBox>(&window, "isFlash")->isChecked());
    QVERIFY(child<QRadioButton>(&window, "bank1Radio")->isChecked());
    for (const char *name : {"bank1Radio", "bank2Radio", "bank6Radio"})
        QVERIFY2(child<QRadioButton>(&window, name)->isEnabled(), name);
    QVERIFY(child<QAction>(&window, "actionDump_Bank2")->isEnabled());
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

void TestMainWindow::webLinks_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("path");
    QTest::newRow("home page") << "actionKestrovane_Home_Page" << QString();
    QTest::newRow("donation page") << "actionDonation_page"
                                   << "/donate.html";
}

void TestMainWindow::webLinks()
{
    QFETCH(QString, action);
    QFETCH(QString, path);

    UrlCatcher catcher;
    for (const char *scheme : {"http", "https"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    auto window = showWindow();
    const QString before = child<QTextBrowser>(window.get(), "outputBrowser")->toHtml();

    window->findChild<QAction *>(action)->trigger();
    QCOMPARE(catcher.urls.size(), 1);
    const QUrl url = catcher.urls.first();
    QVERIFY(url.isValid());
    QVERIFY(!url.host().isEmpty());
    if (!path.isEmpty())
        QCOMPARE(url.path(), path);
    QCOMPARE(TestSupport::visibleTopLevels(), QList<QWidget *>{window.get()});
    QCOMPARE(child<QTextBrowser>(window.get(), "outputBrowser")->toHtml(), before);

    // Both pages live on the same host.
    const QString other = action == QLatin1String("actionDonation_page")
        ? QStringLiteral("actionKestrovane_Home_Page")
        : QStringLiteral("actionDonation_page");
    window->findChild<QAction *>(other)->trigger();
    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls.at(1).host(), url.host());
    QVERIFY(catcher.urls.at(0) != catcher.urls.at(1));

    for (const char *scheme : {"http", "https"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    window->close();
}

void TestMainWindow::quitClosesTheWindow()
{
    auto window = showWindow();
    child<QAction>(window.get(), "actionQuit")->trigger();
    QTRY_VERIFY(!window->isVisible());
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
