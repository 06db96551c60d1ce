// The window driven as a user does, with the simulated board beside the test:
// its commands, images chosen or dropped from a file manager, the output pane
// and its bound under a flood, names for screen readers, the menus' keys
// wherever the focus is, larger fonts, closing.
#include "board/outputfeed.h"
#include "tests/testsupport.h"

#include <sys/stat.h>

using namespace TestSupport;

namespace {

const QString kFilter = QStringLiteral(" [JagFiles(*.rom *.bin *.abs *.cof *.jag)]");
const QString kRomLabel
    = QStringLiteral(" / This can take a minute or so depending on ROM size and USB speed of PC");
// The dialogs a row names by a word.
// clang-format off
const QHash<QString, QString> kDialogs{
    {"send", "Sending file to Skunkboard / This can take a minute or so depending on file size and USB speed of PC"},
    {"update", "Updating Skunkboard firmware / This can take a minute or so. Do not unplug the Skunkboard or switch the Jaguar off until it is done."},
    {"replace", "Recent Files / File %1 already exists.\nDo you want to overwrite it?"},
    {"save1", "Select file to dump bank 1 ROM to" + kFilter}, {"dump1", "Dumping bank 1 ROM to file" + kRomLabel},
    {"save2", "Select file to dump bank 2 ROM to" + kFilter}, {"dump2", "Dumping bank 2 ROM to file" + kRomLabel},
    {"open", "Select file to load to Skunkboard" + kFilter},
    {"about", "About Vantrel / <h2>Vantrel 0.0.3</h2><p>Copyright &copy; 2026 Dunmarrow. Free to use, copy and change."
              "<p>Vantrel is a graphical front end for skunkboard users. Vantrel simplifies using your skunkboard with your Jaguar."}};
// clang-format on

QStringList dialogs(const QString &words, const QString &path = {})
{
    QStringList expected;
    // A word ending in @ names a file dialog that starts at `path`.
    for (const QString &word : words.split(' ', Qt::SkipEmptyParts)) {
        expected << kDialogs.value(word.chopped(word.endsWith('@')), word).replace("%1", path)
                + (word.endsWith('@') ? " @" + QFileInfo(path).fileName() : "");
    }
    return expected;
}

QByteArray be(quint32 value)
{
    value = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&value), 4);
}

// `size` bytes of `fill` with the given bytes written at their offsets.
QByteArray image(int size, std::initializer_list<std::pair<int, QByteArray>> parts = {},
                 char fill = 0)
{
    QByteArray data(size, fill);
    for (const auto &[offset, bytes] : parts)
        data.replace(offset, bytes.size(), bytes);
    return data.left(size);
}

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private:
    std::unique_ptr<MainWindow> window;
    QStringList opened;
    const QFont defaultFont = QApplication::font();

private slots:
    void initTestCase()
    {
        for (const char *scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    void cleanupTestCase()
    {
        for (const char *scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    void init()
    {
        opened.clear();
        QSettings().clear();
        QDir(workPath("board")).removeRecursively();
        QFile::remove(workPath("runs"));
        window = showWindow();
    }
    void cleanup()
    {
        qDeleteAll(qApp->findChildren<QTimer *>(QStringLiteral("modalAnswer")));
        release();
        window.reset();
        QApplication::setFont(defaultFont);
        for (const char *name : {"STDOUT", "STDERR", "FLOOD_STDOUT", "FLOOD_STDERR"})
            qunsetenv(QByteArray("JCP_SIM_") + name);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void commands_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("state");
        // Steps as trigger() takes them, or a letter: n, o, h tick "Skip Boot",
        // "Override Address", "Skip header bytes" and type into the field
        // that opened, O by the space key, P pressed and let go off the box;
        // f space on "Is Flash?"; 1, 2, 6 a bank; r, w the Tools switches;
        // G types g.rom and presses "Go"; H holds the board's runs, R lets
        // them go. State as panelState(), then any notice.
        // clang-format off
        QTest::newRow("Go") << "doTransfer" << "-q|" << "send" << "d:Bank 1";
        QTest::newRow("Reset Skunk, three ways") << "resetSkunk, Tools/Reset Skunk, ^R" << "-r -r -r" << "" << "d:Bank 1";
        QTest::newRow("Get Skunk Serial, two ways") << "Tools/Get Skunk Serial, ^S" << "-q|-s -q|-s" << "" << "d:Bank 1";
        QTest::newRow("Update Skunk, two ways, first") << "Tools/Update Skunk, ^U" << "-q|-u -q|-u" << "update update" << "d:Bank 1";
        QTest::newRow("bank 1 dump, two ways") << "File/Dump ROM Bank 1 to file, ^1" << "-q|-d|%1 -q|-d|%1" << "save1 dump1 save1@ replace dump1" << "d:Bank 1";
        QTest::newRow("bank 2 dump, two ways") << "^2, File/Dump ROM Bank 2 to file" << "-q|-d2|%1 -q|-d2|%1" << "save2 dump2 save2@ replace dump2" << "d:Bank 1";
        QTest::newRow("update after Go") << "doTransfer, ^U" << "-q| -q|-u" << "send update" << "d:Bank 1";
        QTest::newRow("update after bank 1") << "^1, Tools/Update Skunk" << "-q|-d|%1 -q|-u" << "save1 dump1 update" << "d:Bank 1";
        QTest::newRow("update after bank 2") << "^2, ^U" << "-q|-d2|%1 -q|-u" << "save2 dump2 update" << "d:Bank 1";
        QTest::newRow("update after bank 2, Go") << "^2, doTransfer, ^U" << "-q|-d2|%1 -q| -q|-u" << "save2 dump2 send update" << "d:Bank 1";
        QTest::newRow("update after reset, serial") << "resetSkunk, ^S, ^U, ^U" << "-r -q|-s -q|-u -q|-u" << "update update" << "d:Bank 1";
        QTest::newRow("maintenance ignores options") << "n, o, h, f, 6, w, resetSkunk, ^S, ^U" << "-r -q|-s -q|-u" << "update" << "oh126Fdw:6MB";
        QTest::newRow("refused while busy") << "H, ^S, ^R, ^1, doTransfer, Tools/Update Skunk, R" << "-q|-s" << "" << "d:Bank 1 The flash tool is still busy with an earlier command; nothing was started.";
        QTest::newRow("rev 1, no bank 2 dump") << "r, ^2, File/Dump ROM Bank 2 to file" << "" << "" << "r:Bank 1";
        QTest::newRow("dump cancelled") << "C, ^1" << "" << "save1" << "d:Bank 1";
        QTest::newRow("chosen, then Go") << "E, fileSelect, doTransfer" << "-q|-f|%1" << "open send" << "126Fd:Bank 1";
        QTest::newRow("chosen, then cancelled") << "E, fileSelect, C, fileSelect, doTransfer" << "-q|-f|" << "open open@ send" << "126Fd:Bank 1";
        QTest::newRow("choice cancelled") << "C, fileSelect, G" << "-q|g.rom" << "open send" << "d:Bank 1";
        QTest::newRow("chosen, then cancelled, dump") << "E, fileSelect, C, ^2" << "" << "open save2@" << "126Fd:Bank 1";
        QTest::newRow("dump, then Select File") << "^1, C, fileSelect" << "-q|-d|%1" << "save1 dump1 open@" << "d:Bank 1";
        QTest::newRow("started with rev1") << "S:rev1=true" << "" << "" << "r:Bank 1";
        QTest::newRow("started with rev1, flash") << "S:rev1=true, f, 2, 6" << "" << "" << "1Fr:Bank 1";
        QTest::newRow("started with rev1, switched off") << "S:rev1=true, r, f, 6" << "" << "" << "126Fd:6MB";
        QTest::newRow("started with wordflash") << "S:wordflash=true, f, G" << "-q|-w|-f|g.rom" << "send" << "126Fdw:Bank 1";
        QTest::newRow("started with both") << "S:rev1=true, S:wordflash=true" << "" << "" << "rw:Bank 1";
        QTest::newRow("started with both off") << "S:rev1=false, S:wordflash=false, f" << "" << "" << "126Fd:Bank 1";
        QTest::newRow("started with a file") << "S:defdir=%1, C, fileSelect, C, ^1" << "" << "open@ save1@" << "d:Bank 1";
        QTest::newRow("dump over a file, Return") << "E, ^2" << "-q|-d2|%1" << "save2 replace dump2" << "d:Bank 1";
        QTest::newRow("dump over a file, Escape") << "E, Escape, ^1" << "" << "save1 replace" << "d:Bank 1";
        QTest::newRow("dump over a file, Yes") << "E, Yes, File/Dump ROM Bank 1 to file" << "-q|-d|%1" << "save1 replace dump1" << "d:Bank 1";
        QTest::newRow("dump over a file, No") << "E, No, ^2" << "" << "save2 replace" << "d:Bank 1";
        QTest::newRow("About entry") << "Help/About Vantrel" << "" << "about" << "d:Bank 1";
        QTest::newRow("Ctrl+A") << "f, ^A" << "" << "about" << "126Fd:Bank 1";
        QTest::newRow("home page") << "Help/Kestrovane Home Page" << "https://www.kestrovane.example/vantrel/" << "" << "d:Bank 1";
        QTest::newRow("donation page") << "h, Help/Donation page" << "https://www.kestrovane.example/donate.html" << "" << "hd:Bank 1";
        QTest::newRow("nothing ticked") << "G" << "-q|g.rom" << "send" << "d:Bank 1";
        QTest::newRow("skip boot") << "n, G" << "-q|-n|g.rom" << "send" << "d:Bank 1";
        QTest::newRow("override") << "o, G" << "-q|-o|g.rom|0x5000" << "send" << "od:Bank 1";
        QTest::newRow("override by space") << "O, G" << "-q|-o|g.rom|0x5000" << "send" << "od:Bank 1";
        QTest::newRow("override, let go off the box") << "P, G" << "-q|g.rom" << "send" << "od:Bank 1";
        QTest::newRow("skip header") << "h, G" << "-q|-h|512 |g.rom" << "send" << "hd:Bank 1";
        QTest::newRow("override, skip header twice") << "o, h, o, h, G" << "-q|g.rom" << "send" << "d:Bank 1";
        QTest::newRow("flash") << "f, G" << "-q|-f|g.rom" << "send" << "126Fd:Bank 1";
        QTest::newRow("flash bank 2") << "f, 2, G" << "-q|-2|-f|g.rom" << "send" << "126Fd:Bank 2";
        QTest::newRow("flash 6MB") << "f, 6, G" << "-q|-6|-f|g.rom" << "send" << "126Fd:6MB";
        QTest::newRow("flash word") << "f, w, G" << "-q|-w|-f|g.rom" << "send" << "126Fdw:Bank 1";
        QTest::newRow("flash 6MB word") << "f, 6, w, G" << "-q|-6|-w|-f|g.rom" << "send" << "126Fdw:6MB";
        QTest::newRow("bank 2 then bank 1") << "f, 2, 1, G" << "-q|-f|g.rom" << "send" << "126Fd:Bank 1";
        QTest::newRow("word alone") << "w, G" << "-q|g.rom" << "send" << "dw:Bank 1";
        QTest::newRow("bank 2, flash off") << "f, 2, f, G" << "-q|g.rom" << "send" << "d:Bank 2";
        QTest::newRow("6MB word, flash off") << "f, 6, w, f, G" << "-q|g.rom" << "send" << "dw:6MB";
        QTest::newRow("every box") << "n, o, h, f, 2, w, G" << "-q|-n|-o|-2|-w|-f|-h|512 |g.rom|0x5000" << "send" << "oh126Fdw:Bank 2";
        QTest::newRow("rev 1, flash") << "r, f, G" << "-q|-f|g.rom" << "send" << "1Fr:Bank 1";
        QTest::newRow("rev 1, banks refused") << "r, f, 2, 6, G" << "-q|-f|g.rom" << "send" << "1Fr:Bank 1";
        QTest::newRow("rev 1 after 6MB") << "f, 6, r, G" << "-q|-f|g.rom" << "send" << "1Fr:Bank 1";
        QTest::newRow("rev 1, word") << "r, f, w, G" << "-q|-w|-f|g.rom" << "send" << "1Frw:Bank 1";
        QTest::newRow("rev 1, flash off and on") << "r, f, f, f, G" << "-q|-f|g.rom" << "send" << "1Fr:Bank 1";
        QTest::newRow("rev 1 on and off, unflashed") << "r, r, G" << "-q|g.rom" << "send" << "d:Bank 1";
        QTest::newRow("rev 1 on and off, then 6MB") << "r, r, f, 6, G" << "-q|-6|-f|g.rom" << "send" << "126Fd:6MB";
        QTest::newRow("rev 1 on and off, flashed") << "f, 2, r, r, G" << "-q|-f|g.rom" << "send" << "126Fd:Bank 1";
        QTest::newRow("rev 1 off again, bank 2") << "f, r, r, 2, G" << "-q|-2|-f|g.rom" << "send" << "126Fd:Bank 2";
        QTest::newRow("Go twice, options kept") << "n, f, 6, G, doTransfer" << "-q|-n|-6|-f|g.rom -q|-n|-6|-f|g.rom" << "send send" << "126Fd:6MB";
        // clang-format on
    }

    void commands()
    {
        QFETCH(QString, steps);
        QFETCH(QString, runs);
        QFETCH(QString, shown);
        // A dump's or Select File's file: E makes it exist, C cancels the file
        // dialog instead, and a button's name answers the question about
        // replacing it.
        const QString file = workPath(QStringLiteral("бэкап dump.rom"));
        QString dump = file, reply = "Return";
        QFile::remove(file);
        // clang-format off
        const QHash<QString, QString> letters{{"n", "skipbootCheck"},
            {"o", "overrideCheck, overrideAddress=0x5000"}, {"O", "space:overrideCheck, overrideAddress=0x5000"},
            {"P", "slip:overrideCheck, overrideAddress=0x5000"}, {"h", "skipheaderCheck, skipBytesval=512 "},
            {"f", "space:isFlash"}, {"1", "bank1Radio"}, {"2", "bank2Radio"}, {"6", "bank6Radio"},
            {"r", "Tools/Rev 1 Skunkboard"}, {"w", "Tools/Use Word Flash Mode"},
            {"G", "filenameEdit=g.rom, doTransfer"}};
        // clang-format on
        DialogLog log;
        for (const QString &letter : steps.split(QStringLiteral(", "))) {
            if (letter.startsWith("S:")) {
                window.reset();
                QSettings().setValue(letter.section('=', 0, 0).mid(2),
                                     letter.section('=', 1).replace("%1", file));
                window = showWindow();
            } else if (letter == "E") {
                writeFile(dump, "old");
            } else if (letter == "C") {
                dump.clear();
            } else if (letter == "H") {
                hold();
            } else if (letter == "R") {
                release();
                waitIdle(window.get());
            } else if (QStringList{"Return", "Escape", "Yes", "No"}.contains(letter)) {
                reply = letter;
            } else {
                for (const QString &step : letters.value(letter, letter).split(", ")) {
                    // Replacing a file is asked once, by Vantrel.
                    if (step.contains("Dump") || step == "^1" || step == "^2")
                        answer(QFile::exists(dump) ? QStringList{dump, reply} : QStringList{dump});
                    if (step == "fileSelect" || step.contains("About") || step == "^A")
                        answer({step == "fileSelect" ? dump : "Return"});
                    trigger(window.get(), step);
                    if (qEnvironmentVariableIsEmpty("JCP_SIM_HOLD"))
                        waitIdle(window.get());
                    QVERIFY(!QApplication::activeModalWidget());
                }
            }
        }
        qDeleteAll(qApp->findChildren<QTimer *>(QStringLiteral("modalAnswer")));
        // The runs of the tool, then the pages opened in the browser; every dialog shown.
        QCOMPARE((QStringList(TestSupport::runs()) + opened).join(' ').trimmed(),
                 QString(runs).replace(QLatin1String("%1"), file));
        QCOMPARE(log.shown, dialogs(shown, file));
        // The board takes every argument list the window sends.
        QVERIFY(!find<QTextBrowser>("outputBrowser")->toPlainText().contains("not understood"));
        // Vantrel's own notice, if any, follows the panel's state.
        const QString state = panelState();
        QTEST((state + ' ' + window->statusBar()->currentMessage()).trimmed(), "state");
        // Only a dump that was started moves the next dialogs' start; the
        // switches are kept as the window leaves them.
        const bool dumped
            = runs.contains("%1") || steps.startsWith("E, fileSelect") || steps.contains("defdir");
        window.reset();
        const QSettings stored;
        QCOMPARE(QStringList({stored.value("defdir").toString(), stored.value("rev1").toString(),
                              stored.value("wordflash").toString()}),
                 QStringList({dumped ? file : QString(), state.contains('r') ? "true" : "false",
                              state.contains('w') ? "true" : "false"}));
    }

    void chooseImage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("panel");
        // clang-format off
        const QByteArray flash = be(0x802000), coff("\x01\x50"), abs("\x60\x1B"), elf("\x7F" "ELF");
        const QByteArray jagr = "JAGR" + image(2) + be(0x5000);
        QTest::newRow("8k header") << "8k.bin" << image(8193, {{1028, flash}}) << "0x802000 8192 flash";
        QTest::newRow("8k header, 8192 bytes") << "8k.bin" << image(8192, {{1028, flash}}) << "0x4000 0 ram";
        QTest::newRow("8.5k header") << "85k.bin" << image(8705, {{1540, flash}}) << "0x802000 8704 flash";
        QTest::newRow("8.5k header, 8704 bytes") << "85k.bin" << image(8704, {{1540, flash}}) << "0x4000 0 ram";
        QTest::newRow("both markers") << "8k.bin" << image(9000, {{1028, flash}, {1540, flash}}) << "0x802000 8192 flash";
        QTest::newRow("coff") << "a.cof" << image(73, {{0, coff}, {56, be(0x801FFF)}, {68, be(32)}}) << "0x801fff 32 ram";
        QTest::newRow("coff at the flash address") << "a.cof" << image(73, {{0, coff}, {56, flash}, {68, be(42)}}) << "0x802000 42 flash";
        QTest::newRow("coff, 72 bytes") << "a.cof" << image(72, {{0, coff}, {56, flash}}) << "0x4000 0 ram";
        QTest::newRow("coff, top bits") << "a.cof" << image(73, {{0, coff}, {56, be(~0u)}, {68, be(1u << 31)}}) << "0xffffffff -2147483648 ram";
        QTest::newRow("coff named .rom") << "c.rom" << image(73, {{0, coff}, {56, be(0x5000)}, {68, be(9)}}) << "0x5000 9 ram";
        QTest::newRow("8k header before coff") << "8k.cof" << image(8193, {{0, coff}, {1028, flash}}) << "0x802000 8192 flash";
        QTest::newRow("elf") << "e.bin" << image(49, {{0, elf}, {24, be(0x4000)}}) << "0x4000 16384 ram";
        QTest::newRow("elf, little-endian entry") << "e.bin" << image(49, {{0, elf}, {24, QByteArray("\x00\x40\x00\x00", 4)}}) << "0x400000 4194304 ram";
        QTest::newRow("elf, 48 bytes") << "e.bin" << image(48, {{0, elf}, {24, be(0x4000)}}) << "0x4000 0 ram";
        QTest::newRow("jagr") << "j.jag" << image(47, {{28, jagr}}) << "0x5000 46 ram";
        QTest::newRow("jagr, 46 bytes") << "j.jag" << image(46, {{28, jagr}}) << "0x4000 0 ram";
        QTest::newRow("jagr before abs") << "j.abs" << image(47, {{0, abs}, {28, jagr}}) << "0x5000 46 ram";
        QTest::newRow("abs") << "a.abs" << image(37, {{0, abs}, {22, be(0x6000)}}) << "0x6000 36 ram";
        QTest::newRow("abs, 36 bytes") << "a.abs" << image(36, {{0, abs}, {22, be(0x6000)}}) << "0x4000 0 ram";
        QTest::newRow("blank header") << "b.bin" << image(8193, {{8192, "\x01"}}) << "0x802000 8192 flash";
        QTest::newRow("blank header of 0xff") << "b.bin" << image(8193, {{8192, QByteArray(1, 0)}}, '\xff') << "0x802000 8192 flash";
        QTest::newRow("blank header named .rom") << "b.rom" << image(9000, {{8192, "\x01"}}, '\xff') << "0x802000 8192 flash";
        QTest::newRow("8193 equal bytes") << "b.bin" << image(8193, {}, '\x07') << "0x4000 0 ram";
        QTest::newRow("8192 equal bytes") << "b.bin" << image(8192, {}, '\xff') << "0x4000 0 ram";
        QTest::newRow("blank but byte 1") << "b.bin" << image(8193, {{1, "\x02"}, {8192, "\x01"}}) << "0x4000 0 ram";
        QTest::newRow("blank but one byte") << "b.bin" << image(8193, {{8191, "\x02"}, {8192, "\x01"}}) << "0x4000 0 ram";
        QTest::newRow("headerless .rom") << "game.rom" << image(40) << "0x802000 0 flash";
        QTest::newRow("headerless .ROM") << "GAME.ROM" << image(9000, {}, 'x') << "0x802000 0 flash";
        QTest::newRow("empty .Rom") << "e.Rom" << QByteArray() << "0x802000 0 flash";
        QTest::newRow(".rom folder") << "roms.rom/g.bin" << image(9) << "0x802000 0 flash";
        QTest::newRow("raw") << "raw.bin" << image(9000, {}, 'x') << "0x4000 0 ram";
        QTest::newRow("empty") << "e.bin" << QByteArray() << "0x4000 0 ram";
        // clang-format on
    }

    void chooseImage()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, data);
        QFETCH(QString, panel);
        const QString path = writeFile(name, data);
        // The box starts the other way, so both its setting and clearing are seen.
        find<QGroupBox>("isFlash")->setChecked(!panel.endsWith("flash"));
        DialogLog log;
        answer({path});
        trigger(window.get(), "fileSelect");
        const auto text = [](const char *name) { return find<QLineEdit>(name)->text(); };
        QCOMPARE(QStringList({text("filenameEdit"), text("overrideAddress"), text("skipBytesval"),
                              find<QGroupBox>("isFlash")->isChecked() ? "flash" : "ram"})
                     + log.shown,
                 QStringList(path) + panel.split(' ') + dialogs("open"));
        // The address and skip are only proposed: their boxes stay unticked.
        trigger(window.get(), "doTransfer");
        QCOMPARE(runs(), (panel.endsWith("flash") ? "-q|-f|" : "-q|") + path);
    }

    void tabRing()
    {
        auto *tabs = find<QTabWidget>("tabWidget");
        for (const char *how : {"overrideCheck", "skipheaderCheck", "space:isFlash"})
            trigger(window.get(), how);
        const QStringList head{"fileSelect", "filenameEdit", "doTransfer", "qt_tabwidget_tabbar"};
        const QStringList pages[]
            = {{"overrideCheck", "overrideAddress", "skipheaderCheck", "skipBytesval",
                "skipbootCheck", "isFlash", "bank1Radio", "resetSkunk"},
               {"outputBrowser"}};
        for (const int page : {0, 1}) {
            tabs->setCurrentIndex(page);
            find<QPushButton>("fileSelect")->setFocus();
            // Round the ring with Tab, then back with Shift+Tab.
            const QStringList ring = head + pages[page];
            QStringList walked;
            for (qsizetype i = 0; i < 2 * ring.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(),
                                i < ring.size() ? Qt::Key_Tab : Qt::Key_Backtab);
                walked << QApplication::focusWidget()->objectName();
            }
            QCOMPARE(walked,
                     (ring.mid(1) << ring.first()) + QStringList(ring.crbegin(), ring.crend()));
        }
    }

    void relay_data()
    {
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QString>("pane");
        // Each row is read twice, a paragraph a line; a line left
        // unfinished ends with its run.
        // clang-format off
        QTest::newRow("standard output") << QByteArray("Serial: 1234\n") << QByteArray() << "Serial: 1234\nSerial: 1234";
        QTest::newRow("standard error") << QByteArray() << QByteArray("no board\n") << "no board\nno board";
        QTest::newRow("a paragraph a line") << QByteArray("  a\r\n\tb  \n") << QByteArray() << "a\nb\na\nb";
        QTest::newRow("spinner gone") << QByteArray("|\b/\b-\b\\\bdone") << QByteArray() << "/-\\done\n/-\\done";
        QTest::newRow("bar between blanks") << QByteArray("x | y") << QByteArray() << "x  y\nx  y";
        QTest::newRow("only spinner, empty pane") << QByteArray("|\b|\b") << QByteArray() << "";
        QTest::newRow("latin-1, markup") << QByteArray("caf\xe9 <b>x</b> &lt;") << QByteArray() << "café <b>x</b> &lt;\ncafé <b>x</b> &lt;";
        // clang-format on
    }

    void relay()
    {
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        qputenv("JCP_SIM_STDOUT", out);
        qputenv("JCP_SIM_STDERR", err);
        auto *pane = find<QTextBrowser>("outputBrowser");
        for (int run = 0; run < 2; ++run) {
            trigger(window.get(), "Tools/Get Skunk Serial");
            waitIdle(window.get());
        }
        QTEST(pane->toPlainText(), "pane");
        QVERIFY(!pane->toHtml().contains(QStringLiteral("font-weight:700")));
        QCOMPARE(find<QTabWidget>("tabWidget")->currentIndex(), 0);
    }

    void closing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("toolFinishes");
        QTest::newRow("wait") << "Wait" << true;
        QTest::newRow("stop and quit") << "Stop and Quit" << false;
        QTest::newRow("cancel, the window stays") << "Cancel" << true;
        QTest::newRow("tool ends while asked") << "none" << true;
    }

    void closing()
    {
        QFETCH(QString, answer);
        QFETCH(bool, toolFinishes);
        // A board that hangs: Escape leaves its busy dialog, the tool runs on.
        hold();
        writeFile("big.rom", QByteArray(100000, 'x'));
        onNextModal([&](QWidget *busy) {
            // Meanwhile the window takes no command, not even one to refuse.
            QTest::keyClick(window->windowHandle(), Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(window->statusBar()->currentMessage(), QString());
            QTest::keyClick(busy, Qt::Key_Escape);
        });
        for (const QString &how :
             QStringList{"space:isFlash", "filenameEdit=" + workPath("big.rom"), "doTransfer"})
            trigger(window.get(), how);
        onNextModal([&](QWidget *modal) {
            auto *question = qobject_cast<QMessageBox *>(modal);
            QAbstractButton *cancel = question->button(QMessageBox::Cancel);
            QVERIFY(question->parent() == window.get() && question->escapeButton() == cancel);
            QCOMPARE(question->windowTitle() + '|' + question->defaultButton()->text(),
                     QStringLiteral("Vantrel|Wait"));
            for (QAbstractButton *button : question->buttons()) {
                if (button->text() == answer || (answer == "Cancel" && button == cancel))
                    button->click();
            }
            if (answer == QLatin1String("Wait"))
                QVERIFY(qobject_cast<QProgressDialog *>(QApplication::activeModalWidget()));
            QCOMPARE(window->isVisible(), answer != QLatin1String("Stop and Quit"));
            release();
        });
        trigger(window.get(), "^Q");
        QTRY_COMPARE(window->isVisible(), answer == QLatin1String("Cancel"));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QTRY_COMPARE(QFile::exists(workPath(QStringLiteral("board/bank1.bin"))), toolFinishes);
        // A closed window leaves no tool behind.
        if (answer != QLatin1String("Cancel"))
            QCOMPARE(window->findChild<QProcess *>()->state(), QProcess::NotRunning);
    }

    void drop_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("uris");
        QTest::addColumn<QString>("outcome");
        writeFile("game.rom", QByteArray(8200, '\0').replace(1028, 3, "\x00\x80\x20", 3));
        QVERIFY(QDir().mkpath(workPath("folder")) && !::mkfifo(qPrintable(workPath("pipe")), 0600));
        // clang-format off
        QTest::newRow("on the file field") << "filenameEdit" << "%1game.rom\r\n" << "%1game.rom|0x802000";
        QTest::newRow("on a disabled field") << "skipBytesval" << "%1game.rom\r\n" << "%1game.rom|0x802000";
        QTest::newRow("on the page") << "tab" << "%1game.rom\r\n" << "%1game.rom|0x802000";
        QTest::newRow("two files") << "filenameEdit" << "%1game.rom\r\n%1pipe\r\n" << "|";
        QTest::newRow("a folder") << "tab" << "%1folder\r\n" << "|";
        QTest::newRow("https") << "filenameEdit" << "https://example.org/a.rom\r\n" << "|";
        QTest::newRow("a fifo, warned") << "tab" << "%1pipe\r\n" << "%1pipe|Select File / Cannot read %1pipe: not a regular file";
        // clang-format on
    }

    void drop()
    {
        QFETCH(QString, target);
        QFETCH(QString, uris);
        QFETCH(QString, outcome);
        DialogLog log;
        answer({"Escape"});
        // As a file manager sends it, to the window as the desktop does; the
        // window passes the move on as an enter to the widget under it. Shift
        // held asks for a move, which Vantrel never takes.
        QMimeData data;
        data.setData("text/uri-list", uris.replace("%1", "file://" + workPath({}) + '/').toUtf8());
        data.setText(uris);
        const QPoint at = find<QWidget>(qPrintable(target))->mapTo(window.get(), QPoint(8, 8));
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                            Qt::ShiftModifier);
        QApplication::sendEvent(window->windowHandle(), &move);
        QCOMPARE(move.isAccepted() && move.dropAction() == Qt::CopyAction, outcome != "|");
        QDropEvent drop(at, move.possibleActions(), &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(window->windowHandle(), &drop);
        QTRY_COMPARE(find<QLineEdit>("filenameEdit")->text() + '|'
                         + find<QLineEdit>("overrideAddress")->text() + log.shown.join(' '),
                     outcome.replace("%1", workPath({}) + '/'));
    }

    void asDrawn()
    {
        // At the default font every place is as drawn. The window's texts and
        // keys, and the names screen readers hear for what has no label.
        QCOMPARE(find<QWidget>("bank6Radio")->geometry(), QRect(157, 34, 49, 21));
        auto *tabs = find<QTabWidget>("tabWidget");
        QStringList texts{window->windowTitle(), tabs->tabText(0), tabs->tabText(1),
                          QString::number(tabs->currentIndex()),
                          find<QGroupBox>("isFlash")->title()};
        for (const QAbstractButton *button :
             window->centralWidget()->findChildren<QAbstractButton *>())
            texts << button->text();
        for (QAction *menu : window->menuBar()->actions()) {
            for (const QAction *entry : QList<QAction *>{menu} + menu->menu()->actions())
                texts << (entry->text() + ' ' + entry->shortcut().toString()).trimmed();
        }
        for (const char *w : {"filenameEdit", "overrideAddress", "skipBytesval", "outputBrowser"})
            texts
                << QAccessible::queryAccessibleInterface(find<QWidget>(w))->text(QAccessible::Name);
        texts.removeAll(QString());
        // clang-format off
        QCOMPARE(texts.join('|'), "Vantrel v 0.0.3 by Dunmarrow|Options|Output|0|Is Flash?|Select File|Go|Reset Skunk|"
            "Override Address|Skip header bytes|Skip Boot|Bank 1|Bank 2|6MB|File|Dump ROM Bank 1 to file Ctrl+1|"
            "Dump ROM Bank 2 to file Ctrl+2|Quit Ctrl+Q|Tools|Reset Skunk Ctrl+R|Get Skunk Serial Ctrl+S|Update Skunk Ctrl+U|"
            "Rev 1 Skunkboard|Use Word Flash Mode|Help|About Vantrel Ctrl+A|Kestrovane Home Page|Donation page|"
            "Image file|Load address|Header bytes to skip|Flash tool output");
        // clang-format on
        // The output pane as drawn, then following the window grown and shrunk back.
        QTabBar *tabBar = find<QTabWidget>("tabWidget")->tabBar();
        QTest::mouseClick(tabBar, Qt::LeftButton, {}, tabBar->tabRect(1).center());
        QStringList panes;
        for (const QSize grow : {QSize(0, 0), QSize(300, 200), QSize(0, 0), QSize(-20, -10)}) {
            window->resize(QSize(678, 264) + grow);
            QTRY_COMPARE(window->size(), QSize(678, 264) + grow);
            const QRect pane = find<QWidget>("outputBrowser")->geometry();
            panes << QStringLiteral("%1,%2 %3x%4")
                         .arg(pane.x())
                         .arg(pane.y())
                         .arg(pane.width())
                         .arg(pane.height());
        }
        QCOMPARE(panes, QStringList({"0,0 631x151", "0,0 931x351", "0,0 631x151", "0,0 611x141"}));
    }

    void shortcuts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("outcome");
        // clang-format off
        const std::pair<const char *, const char *> keys[]{{"Ctrl+Q", "closed"}, {"Ctrl+R", "-r"}, {"Ctrl+S", "-q -s"},
            {"Ctrl+U", "update -q -u"}, {"Ctrl+1", "save1"}, {"Ctrl+2", "save2"}, {"Ctrl+A", "about"}, {"F10", "File"}};
        for (const char *field : {"filenameEdit", "overrideAddress", "skipBytesval"})
            for (const auto &[sequence, outcome] : keys)
                QTest::addRow("%s in %s", sequence, field) << field << QKeySequence(sequence) << outcome;
        // clang-format on
    }

    void shortcuts()
    {
        QFETCH(QString, field);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, outcome);
        DialogLog log;
        answer({"Escape"});
        auto *line = find<QLineEdit>(qPrintable(field));
        line->setText(QStringLiteral("0x802000"));
        line->setEnabled(true);
        line->setFocus();
        QTest::keySequence(line, keys);
        // Only one of these is there: the menu opened, the window closed, the
        // dialogs shown, the tool's runs.
        const QAction *menu = window->menuBar()->activeAction();
        const QString closed = window->isVisible() ? QString() : QStringLiteral("closed");
        QTRY_COMPARE(
            (QStringList{closed, menu ? menu->text() : QString()} + log.shown + QStringList(runs()))
                .join(' ')
                .replace('|', ' ')
                .simplified(),
            dialogs(outcome).join(' ').simplified());
        // Neither erased nor selected.
        QCOMPARE(line->text() + line->selectedText(), QStringLiteral("0x802000"));
    }

    void largeFont_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("whileOpen");
        for (const int points : {11, 14, 20})
            QTest::addRow("%d pt", points) << points << false;
        QTest::newRow("14 pt, set while open") << 14 << true;
    }

    void largeFont()
    {
        QFETCH(int, points);
        QFETCH(bool, whileOpen);
        const QFont font(defaultFont.family(), points);
        // The window init() opened has the default font.
        const QSize drawn = window->minimumSizeHint();
        QApplication::setFont(whileOpen ? defaultFont : font);
        window = showWindow();
        QApplication::setFont(font);
        // Once the window holds the grown page, every widget of the page is
        // as large as its contents ask, and its corners are its own: inside
        // its parent and under no neighbour. The output pane grows with it.
        QWidget *page = find<QWidget>("tab");
        QTRY_VERIFY(page->minimumWidth() > 0 && page->rect().contains(page->childrenRect()));
        for (QWidget *widget : page->findChildren<QWidget *>()) {
            const QRect place = widget->geometry();
            const QSize need = widget->sizeHint().expandedTo(widget->minimumSizeHint());
            bool fits = place.size().expandedTo(need) == place.size();
            for (const QPoint corner : {place.topLeft(), place.bottomRight()}) {
                QWidget *at = widget->parentWidget()->childAt(corner);
                fits = fits && (at == widget || widget->isAncestorOf(at));
            }
            QVERIFY2(fits, qPrintable(widget->objectName()));
        }
        QVERIFY(find<QWidget>("outputBrowser")->geometry().contains(QRect(0, 0, 632, 152)));
        // Back at the default font, the window may be as small as it was.
        QApplication::setFont(defaultFont);
        QTRY_COMPARE(window->minimumSizeHint(), drawn);
    }
    // The pane's paragraphs and its bound, without a window.
    void pane_data()
    {
        // Each text is added alone; the pane as it is at once, after some
        // turns of the event loop while hidden, and once shown ("=" for as
        // before). Paragraphs are parted by "|", the note is [paragraphs
        // characters].
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("limits"); // characters, paragraphs, per turn, hidden
        QTest::addColumn<QString>("pane");
        const QStringList lines = QString("one two three four five six seven").split(' ');
        const QString all = lines.join('|');
        const int n = 999;
        // clang-format off
        QTest::newRow("as append, empty ones too") << QStringList{"", "", "a", "", "b"} << QList<int>{n, n, n, n} << "a||b / = / =";
        QTest::newRow("just within the bound") << lines << QList<int>{34, 7, n, n} << all + " / = / =";
        QTest::newRow("characters over") << (lines + lines) << QList<int>{30, n, n, n} << "[9 33] / [9 33]|three|four|five|six|seven / =";
        QTest::newRow("paragraphs over") << (lines + QStringList(9, "") + QStringList{"end"}) << QList<int>{n, 8, n, n} << "[9 27] / [9 27]||||||||end / =";
        QTest::newRow("newest alone over") << QStringList{"abc", QString(50, 'z')} << QList<int>{40, n, n, n} << "[1 3] / [1 3]|" + QString(50, 'z') + " / =";
        QTest::newRow("over twice") << QStringList(40, "abcde") << QList<int>{40, n, n, n} << "[34 170] / [34 170]" + QString("|abcde").repeated(6) + " / =";
        QTest::newRow("long text, turn by turn") << QStringList{"x", QString(20, 'y') + 'z'} << QList<int>{n, n, 8, n} << "x / x|yyyyyyyy|yyyyyyyy|yyyyz / =";
        QTest::newRow("hidden, then shown") << (lines + lines + lines) << QList<int>{n, n, 6, 10} << "one / one|two|three / " + all + '|' + all + '|' + all;
        QTest::newRow("hidden, over the bound") << (lines + lines + lines) << QList<int>{40, n, 6, 10} << "[15 57] / = / [15 57]|two|three|four|five|six|seven";
        // clang-format on
    }

    void pane()
    {
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, limits);
        QTextEdit view;
        auto *feed = new OutputFeed(&view, {limits[0], limits[1], limits[2], limits[3]});
        for (const QString &text : texts)
            feed->add({text});
        QStringList seen{view.toPlainText()};
        for (const int shown : {0, 1}) {
            view.setVisible(shown);
            QTest::qWait(60);
            seen << view.toPlainText();
        }
        for (qsizetype i = seen.size() - 1; i > 0; --i)
            seen[i] = seen[i] == seen[i - 1] ? "=" : seen[i];
        const QRegularExpression note(
            "Earlier output left out: (\\d+) paragraphs, (\\d+) characters\\.");
        QTEST(seen.join(" / ").replace('\n', '|').replace(note, "[\\1 \\2]"), "pane");
    }

    // A tool flooding both channels while the pane is behind "Options": the
    // window keeps answering, the busy dialog closes when the tool ends, the
    // pane keeps the newest output and shows it once in front.
    void flood()
    {
        qputenv("JCP_SIM_FLOOD_STDOUT", "1500000");
        qputenv("JCP_SIM_FLOOD_STDERR", "1500000");
        auto *pane = find<QTextBrowser>("outputBrowser");
        auto *process = window->findChild<QProcess *>();

        // Counts the turns of the event loop while the flood goes on.
        int turns = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            turns += process->state() == QProcess::Running
                && pane->document()->lastBlock().text().contains(QLatin1String(" retry "));
        });
        watch.start(1);
        find<QLineEdit>("filenameEdit")->setText(writeFile("game.rom", QByteArray(1024, 'x')));
        QTest::mouseClick(find<QPushButton>("doTransfer"), Qt::LeftButton);
        watch.stop();
        // It returns as the busy dialog closes, once the tool has ended.
        QVERIFY(turns > 0 && process->state() == QProcess::NotRunning);

        QTabBar *tabs = find<QTabWidget>("tabWidget")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        // The newest output, the tool's last words among it, is all there.
        QTRY_COMPARE(pane->toPlainText().count(QLatin1String("last line of the flood")), 2);
        // The view follows the end.
        QTRY_COMPARE(pane->verticalScrollBar()->value(), pane->verticalScrollBar()->maximum());
        const QString text = pane->toPlainText();
        QVERIFY(text.contains(QLatin1String("Transfer complete: 1024 bytes"))
                && text.startsWith(QLatin1String("Earlier output left out: ")));
        QVERIFY(pane->document()->characterCount() < OutputFeed::Limits().characters + 100);
    }
public slots:
    // The desktop's browser, for the help entries' links.
    void open(const QUrl &url) { opened << url.toString(); }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
