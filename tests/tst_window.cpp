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
// The dialogs a row names, as shown; FILE is the row's file.
// clang-format off
const QHash<QString, QString> kDialogs{
    {"sending", "Sending file to Skunkboard / This can take a minute or so depending on file size and USB speed of PC"},
    {"updating", "Updating Skunkboard firmware / This can take a minute or so. Do not unplug the Skunkboard or switch the Jaguar off until it is done."},
    {"replace?", "Recent Files / File FILE already exists.\nDo you want to overwrite it?"},
    {"save bank 1", "Select file to dump bank 1 ROM to" + kFilter}, {"dumping bank 1", "Dumping bank 1 ROM to file" + kRomLabel},
    {"save bank 2", "Select file to dump bank 2 ROM to" + kFilter}, {"dumping bank 2", "Dumping bank 2 ROM to file" + kRomLabel},
    {"open", "Select file to load to Skunkboard" + kFilter}, {"pipe unreadable", "Select File / Cannot read WORK/pipe: not a regular file"},
    {"about", "About Vantrel / <h2>Vantrel 0.0.3</h2><p>Copyright &copy; 2026 Dunmarrow. Free to use, copy and change."
              "<p>Vantrel is a graphical front end for skunkboard users. Vantrel simplifies using your skunkboard with your Jaguar."}};
// Steps that stand for several.
const QHash<QString, QString> kPhrases{
    {"Go with g.rom", "type g.rom in Image file, press Go"},
    {"override 0x5000", "tick Override Address, type 0x5000 in Load address"},
    {"skip '512 '", "tick Skip header bytes, type '512 ' in Header bytes to skip"},
    {"Rev 1", "Tools > Rev 1 Skunkboard"}, {"Word Flash", "Tools > Use Word Flash Mode"}};
// clang-format on

// The named dialogs, "sending, open at the file": " at the file" names a file
// dialog that starts at `path`.
QStringList dialogs(const QString &names, const QString &path = {})
{
    QStringList expected;
    for (QString name : names.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const bool atFile = name.endsWith(QLatin1String(" at the file"));
        expected << kDialogs.value(name.remove(QLatin1String(" at the file")), name)
                        .replace("FILE", path)
                        .replace("WORK", workPath({}))
                + (atFile ? " @" + QFileInfo(path).fileName() : "");
    }
    return expected;
}

QByteArray be(quint32 value);
QByteArray image(int size, std::initializer_list<std::pair<int, QByteArray>> parts = {},
                 char fill = 0);

// An 8 KB header marked at 0x400, then 64 KB.
QByteArray cartridge()
{
    return image(8192 + 65536, {{0x400, "\x04\x04\x04\x04" + be(0x802000)}}, '\xff');
}

QByteArray be(quint32 value)
{
    value = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&value), 4);
}

// `size` bytes of `fill` with the given bytes written at their offsets.
QByteArray image(int size, std::initializer_list<std::pair<int, QByteArray>> parts, char fill)
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
    QPointer<QLineEdit> focused;
    QStringList opened;
    const QFont defaultFont = QApplication::font();

    // Does a row's steps as a user does, and answers the dialogs they open:
    // the file dialogs are given `file` (none after "cancel file dialogs"),
    // the question about replacing it gets the row's answer (Return unless
    // "answer ..." says otherwise). Besides the steps trigger() takes: "start
    // with KEY=VALUE" starts the window anew with that setting, "the file
    // exists", "no board" unplugs the simulated board, "the tool prints
    // TEXT" makes it print TEXT instead, "focus FIELD" puts 0x802000 into a
    // field and the keyboard there, "the board holds its runs" and "the
    // board lets them go".
    void act(const QString &steps, const QString &file)
    {
        QString given = file, reply = "Return";
        for (const QString &step : steps.split(QStringLiteral(", "))) {
            if (step.startsWith("start with ")) {
                window.reset();
                QSettings().setValue(step.section('=', 0, 0).mid(11),
                                     step.section('=', 1).replace("FILE", file));
                window = showWindow();
            } else if (step == "the file exists") {
                writeFile(given, "old");
            } else if (step == "the file is a cartridge image") {
                writeFile(given, cartridge());
            } else if (step.startsWith("drop ")) {
                drop(step.section(" on ", 0, 0).mid(5).replace("the file", given),
                     step.section(" on ", 1));
            } else if (step == "cancel file dialogs") {
                given.clear();
            } else if (step == "no board") {
                qputenv("JCP_SIM_NO_BOARD", "1");
                qputenv("JCP_SIM_RETRY_MS", "50");
            } else if (step.startsWith("the tool prints ")) {
                const bool error = step.startsWith("the tool prints to standard error ");
                qputenv(error ? "JCP_SIM_STDERR" : "JCP_SIM_STDOUT",
                        step.mid(error ? 34 : 16).toLatin1());
            } else if (step.startsWith("focus ")) {
                focused = qobject_cast<QLineEdit *>(labelled(window.get(), step.mid(6)));
                focused->setText(QStringLiteral("0x802000"));
                focused->setEnabled(true);
                focused->setFocus();
            } else if (step == "the board holds its runs") {
                hold();
            } else if (step == "the board lets them go") {
                release();
                waitIdle(window.get());
            } else if (step.startsWith("answer ")) {
                reply = step.mid(7);
            } else {
                for (const QString &part : kPhrases.value(step, step).split(", ")) {
                    if (part.contains("Dump") || part == "Ctrl+1" || part == "Ctrl+2")
                        answer(QFile::exists(given) ? QStringList{given, reply}
                                                    : QStringList{given});
                    if (part.contains("Select File") || part.contains("About") || part == "Ctrl+A")
                        answer({part.contains("Select File") ? given : "Return"});
                    if (focused)
                        QTest::keySequence(focused, QKeySequence(part));
                    else
                        trigger(window.get(), part);
                    if (qEnvironmentVariableIsEmpty("JCP_SIM_HOLD"))
                        waitIdle(window.get());
                    QVERIFY(!QApplication::activeModalWidget());
                }
            }
        }
        qDeleteAll(qApp->findChildren<QTimer *>(QStringLiteral("answer")));
    }

    // Drops files ("a and b"; a web address as it is) on a widget as a file
    // manager does: to the window as the desktop sends it, the window passing
    // the move on as an enter to the widget under it. Shift held asks for a
    // move, which Vantrel never takes; a drop taken is noted with the runs.
    void drop(const QString &files, const QString &on)
    {
        QStringList uris = files.split(" and ");
        for (QString &uri : uris)
            uri = uri.contains("://") ? uri : QUrl::fromLocalFile(workPath(uri)).toString();
        QMimeData data;
        data.setData("text/uri-list", (uris.join("\r\n") + "\r\n").toUtf8());
        data.setText(uris.join('\n'));
        QWidget *target
            = on == "the Options page" ? find<QWidget>("tab") : labelled(window.get(), on);
        const QPoint at = target->mapTo(window.get(), QPoint(8, 8));
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                            Qt::ShiftModifier);
        QApplication::sendEvent(window->windowHandle(), &move);
        if (!move.isAccepted())
            return;
        opened << (move.dropAction() == Qt::CopyAction ? "drop taken as a copy"
                                                       : "drop taken as a move");
        QDropEvent drop(at, move.possibleActions(), &data, Qt::LeftButton, Qt::ShiftModifier);
        answer({"Escape"});
        QApplication::sendEvent(window->windowHandle(), &drop);
        // The file is taken once the drop has returned to the file manager.
        QCoreApplication::processEvents();
        qDeleteAll(qApp->findChildren<QTimer *>(QStringLiteral("answer")));
    }

private slots:
    void initTestCase()
    {
        for (const char *scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(scheme, this, "open");
        QVERIFY(QDir().mkpath(workPath("folder")) && !::mkfifo(qPrintable(workPath("pipe")), 0600));
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
        qDeleteAll(qApp->findChildren<QTimer *>(QStringLiteral("answer")));
        release();
        window.reset();
        QApplication::setFont(defaultFont);
        for (const char *name :
             {"STDOUT", "STDERR", "FLOOD_STDOUT", "FLOOD_STDERR", "NO_BOARD", "RETRY_MS"})
            qunsetenv(QByteArray("JCP_SIM_") + name);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void commands_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("panel");
        // What the user does, step by step; the tool's runs (FILE is the file
        // the file dialogs are given) and the pages opened in the browser;
        // the dialogs shown; the panel as panelState() words it, then what
        // the status bar says.
        // clang-format off
        QTest::newRow("Go") << "press Go" << "jcp -q ''" << "sending" << "as started";
        QTest::newRow("Reset Skunk, three ways") << "press Reset Skunk, Tools > Reset Skunk, Ctrl+R" << "jcp -r; jcp -r; jcp -r" << "" << "as started";
        QTest::newRow("Get Skunk Serial, two ways") << "Tools > Get Skunk Serial, Ctrl+S" << "jcp -q -s; jcp -q -s" << "" << "as started";
        QTest::newRow("Update Skunk, two ways") << "Tools > Update Skunk, Ctrl+U" << "jcp -q -u; jcp -q -u" << "updating, updating" << "as started";
        QTest::newRow("bank 1 dump, two ways") << "File > Dump ROM Bank 1 to file, Ctrl+1" << "jcp -q -d FILE; jcp -q -d FILE" << "save bank 1, dumping bank 1, save bank 1 at the file, replace?, dumping bank 1" << "as started";
        QTest::newRow("bank 2 dump, two ways") << "Ctrl+2, File > Dump ROM Bank 2 to file" << "jcp -q -d2 FILE; jcp -q -d2 FILE" << "save bank 2, dumping bank 2, save bank 2 at the file, replace?, dumping bank 2" << "as started";
        QTest::newRow("update after Go") << "press Go, Ctrl+U" << "jcp -q ''; jcp -q -u" << "sending, updating" << "as started";
        QTest::newRow("update after a dump") << "Ctrl+2, Ctrl+U" << "jcp -q -d2 FILE; jcp -q -u" << "save bank 2, dumping bank 2, updating" << "as started";
        QTest::newRow("update after reset and serial") << "press Reset Skunk, Ctrl+S, Ctrl+U" << "jcp -r; jcp -q -s; jcp -q -u" << "updating" << "as started";
        QTest::newRow("maintenance ignores the options") << "tick Skip Boot, override 0x5000, skip '512 ', tick Is Flash?, choose 6MB, Word Flash, press Reset Skunk, Ctrl+S, Ctrl+U" << "jcp -r; jcp -q -s; jcp -q -u" << "updating" << "Is Flash? ticked, usable banks: 1 2 6MB, 6MB chosen, address usable, skip usable, Word Flash on";
        QTest::newRow("refused while busy") << "the board holds its runs, Ctrl+S, Ctrl+R, Ctrl+1, press Go, Tools > Update Skunk, the board lets them go" << "jcp -q -s" << "" << "as started; status bar: The flash tool is still busy with an earlier command; nothing was started.";
        QTest::newRow("Rev 1: no bank 2 dump") << "Rev 1, Ctrl+2, File > Dump ROM Bank 2 to file" << "" << "" << "Dump Bank 2 greyed, Rev 1 on";
        QTest::newRow("dump cancelled") << "cancel file dialogs, Ctrl+1" << "" << "save bank 1" << "as started";
        QTest::newRow("chosen, then Go") << "the file exists, press Select File, press Go" << "jcp -q -f FILE" << "open, sending" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("chosen, then cancelled") << "the file exists, press Select File, cancel file dialogs, press Select File, press Go" << "jcp -q -f ''" << "open, open at the file, sending" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("choice cancelled") << "cancel file dialogs, press Select File, Go with g.rom" << "jcp -q g.rom" << "open, sending" << "as started";
        QTest::newRow("chosen, then a dump cancelled") << "the file exists, press Select File, cancel file dialogs, Ctrl+2" << "" << "open, save bank 2 at the file" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("a dump, then Select File") << "Ctrl+1, cancel file dialogs, press Select File" << "jcp -q -d FILE" << "save bank 1, dumping bank 1, open at the file" << "as started";
        QTest::newRow("started with Rev 1") << "start with rev1=true" << "" << "" << "Dump Bank 2 greyed, Rev 1 on";
        QTest::newRow("started with Rev 1, flash") << "start with rev1=true, tick Is Flash?, choose Bank 2, choose 6MB" << "" << "" << "Is Flash? ticked, usable banks: 1, Dump Bank 2 greyed, Rev 1 on";
        QTest::newRow("started with Rev 1, switched off") << "start with rev1=true, Rev 1, tick Is Flash?, choose 6MB" << "" << "" << "Is Flash? ticked, usable banks: 1 2 6MB, 6MB chosen";
        QTest::newRow("started with Word Flash") << "start with wordflash=true, tick Is Flash?, Go with g.rom" << "jcp -q -w -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB, Word Flash on";
        QTest::newRow("started with both") << "start with rev1=true, start with wordflash=true" << "" << "" << "Dump Bank 2 greyed, Rev 1 on, Word Flash on";
        QTest::newRow("started with both off") << "start with rev1=false, start with wordflash=false, tick Is Flash?" << "" << "" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("started with a file") << "start with defdir=FILE, cancel file dialogs, press Select File, Ctrl+1" << "" << "open at the file, save bank 1 at the file" << "as started";
        QTest::newRow("dump over a file, Return") << "the file exists, Ctrl+2" << "jcp -q -d2 FILE" << "save bank 2, replace?, dumping bank 2" << "as started";
        QTest::newRow("dump over a file, Escape") << "the file exists, answer Escape, Ctrl+1" << "" << "save bank 1, replace?" << "as started";
        QTest::newRow("dump over a file, Yes") << "the file exists, answer Yes, File > Dump ROM Bank 1 to file" << "jcp -q -d FILE" << "save bank 1, replace?, dumping bank 1" << "as started";
        QTest::newRow("dump over a file, No") << "the file exists, answer No, Ctrl+2" << "" << "save bank 2, replace?" << "as started";
        QTest::newRow("About entry") << "Help > About Vantrel" << "" << "about" << "as started";
        QTest::newRow("Ctrl+A") << "tick Is Flash?, Ctrl+A" << "" << "about" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("home page") << "Help > Kestrovane Home Page" << "browser https://www.kestrovane.example/vantrel/" << "" << "as started";
        QTest::newRow("donation page") << "tick Skip header bytes, Help > Donation page" << "browser https://www.kestrovane.example/donate.html" << "" << "skip usable";
        QTest::newRow("nothing ticked") << "Go with g.rom" << "jcp -q g.rom" << "sending" << "as started";
        QTest::newRow("skip boot") << "tick Skip Boot, Go with g.rom" << "jcp -q -n g.rom" << "sending" << "as started";
        QTest::newRow("override") << "override 0x5000, Go with g.rom" << "jcp -q -o g.rom 0x5000" << "sending" << "address usable";
        QTest::newRow("override by space") << "tick Override Address by space, type 0x5000 in Load address, Go with g.rom" << "jcp -q -o g.rom 0x5000" << "sending" << "address usable";
        QTest::newRow("override, let go off the box") << "slip off Override Address, type 0x5000 in Load address, Go with g.rom" << "jcp -q g.rom" << "sending" << "address usable";
        QTest::newRow("skip header, as typed") << "skip '512 ', Go with g.rom" << "jcp -q -h '512 ' g.rom" << "sending" << "skip usable";
        QTest::newRow("override, skip header twice") << "override 0x5000, skip '512 ', tick Override Address, tick Skip header bytes, Go with g.rom" << "jcp -q g.rom" << "sending" << "as started";
        QTest::newRow("flash") << "tick Is Flash?, Go with g.rom" << "jcp -q -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("flash bank 2") << "tick Is Flash?, choose Bank 2, Go with g.rom" << "jcp -q -2 -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB, Bank 2 chosen";
        QTest::newRow("flash 6MB") << "tick Is Flash?, choose 6MB, Go with g.rom" << "jcp -q -6 -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB, 6MB chosen";
        QTest::newRow("flash, word") << "tick Is Flash?, Word Flash, Go with g.rom" << "jcp -q -w -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB, Word Flash on";
        QTest::newRow("flash 6MB, word") << "tick Is Flash?, choose 6MB, Word Flash, Go with g.rom" << "jcp -q -6 -w -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB, 6MB chosen, Word Flash on";
        QTest::newRow("bank 2, then bank 1") << "tick Is Flash?, choose Bank 2, choose Bank 1, Go with g.rom" << "jcp -q -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("word alone") << "Word Flash, Go with g.rom" << "jcp -q g.rom" << "sending" << "Word Flash on";
        QTest::newRow("bank 2, flash off") << "tick Is Flash?, choose Bank 2, tick Is Flash?, Go with g.rom" << "jcp -q g.rom" << "sending" << "Bank 2 chosen";
        QTest::newRow("6MB word, flash off") << "tick Is Flash?, choose 6MB, Word Flash, tick Is Flash?, Go with g.rom" << "jcp -q g.rom" << "sending" << "6MB chosen, Word Flash on";
        QTest::newRow("every box") << "tick Skip Boot, override 0x5000, skip '512 ', tick Is Flash?, choose Bank 2, Word Flash, Go with g.rom" << "jcp -q -n -o -2 -w -f -h '512 ' g.rom 0x5000" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB, Bank 2 chosen, address usable, skip usable, Word Flash on";
        QTest::newRow("Rev 1, flash") << "Rev 1, tick Is Flash?, Go with g.rom" << "jcp -q -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1, Dump Bank 2 greyed, Rev 1 on";
        QTest::newRow("Rev 1, banks refused") << "Rev 1, tick Is Flash?, choose Bank 2, choose 6MB, Go with g.rom" << "jcp -q -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1, Dump Bank 2 greyed, Rev 1 on";
        QTest::newRow("Rev 1 after 6MB") << "tick Is Flash?, choose 6MB, Rev 1, Go with g.rom" << "jcp -q -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1, Dump Bank 2 greyed, Rev 1 on";
        QTest::newRow("Rev 1, word") << "Rev 1, tick Is Flash?, Word Flash, Go with g.rom" << "jcp -q -w -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1, Dump Bank 2 greyed, Rev 1 on, Word Flash on";
        QTest::newRow("Rev 1, flash off and on") << "Rev 1, tick Is Flash?, tick Is Flash?, tick Is Flash?, Go with g.rom" << "jcp -q -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1, Dump Bank 2 greyed, Rev 1 on";
        QTest::newRow("Rev 1 on and off, no flash") << "Rev 1, Rev 1, Go with g.rom" << "jcp -q g.rom" << "sending" << "as started";
        QTest::newRow("Rev 1 on and off, then 6MB") << "Rev 1, Rev 1, tick Is Flash?, choose 6MB, Go with g.rom" << "jcp -q -6 -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB, 6MB chosen";
        QTest::newRow("Rev 1 on and off, flashing bank 2") << "tick Is Flash?, choose Bank 2, Rev 1, Rev 1, Go with g.rom" << "jcp -q -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("Rev 1 off again, bank 2") << "tick Is Flash?, Rev 1, Rev 1, choose Bank 2, Go with g.rom" << "jcp -q -2 -f g.rom" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB, Bank 2 chosen";
        QTest::newRow("drop on the file field") << "the file is a cartridge image, drop the file on Image file, press Go" << "jcp -q -f FILE; drop taken as a copy" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("drop on a disabled field") << "the file is a cartridge image, drop the file on Header bytes to skip, press Go" << "jcp -q -f FILE; drop taken as a copy" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("drop on the page") << "the file is a cartridge image, drop the file on the Options page, press Go" << "jcp -q -f FILE; drop taken as a copy" << "sending" << "Is Flash? ticked, usable banks: 1 2 6MB";
        QTest::newRow("two files refused") << "the file is a cartridge image, drop the file and pipe on Image file, press Go" << "jcp -q ''" << "sending" << "as started";
        QTest::newRow("a folder refused") << "drop folder on the Options page" << "" << "" << "as started";
        QTest::newRow("a web address refused") << "drop https://example.org/a.rom on Image file" << "" << "" << "as started";
        QTest::newRow("a fifo taken, then warned about") << "drop pipe on the Options page" << "drop taken as a copy" << "pipe unreadable" << "as started";
        // The menus' keys wherever the keyboard is.
        const char *const keys[][4]{{"Ctrl+Q", "", "", "; window closed"}, {"Ctrl+R", "jcp -r", "", ""}, {"Ctrl+S", "jcp -q -s", "", ""},
            {"Ctrl+U", "jcp -q -u", "updating", ""}, {"Ctrl+1", "jcp -q -d FILE", "save bank 1, dumping bank 1", ""},
            {"Ctrl+2", "jcp -q -d2 FILE", "save bank 2, dumping bank 2", ""}, {"Ctrl+A", "", "about", ""}, {"F10", "", "", "; File menu open"}};
        for (const auto &[field, panel] : {std::pair("Image file", "as started"), {"Load address", "address usable"}, {"Header bytes to skip", "skip usable"}})
            for (const auto &[key, runs, shown, more] : keys)
                QTest::addRow("%s in %s", key, field) << QString("focus %1, %2").arg(field, key) << runs << shown << panel + QString(more);
        QTest::newRow("Go twice, options kept") << "tick Skip Boot, tick Is Flash?, choose 6MB, Go with g.rom, press Go" << "jcp -q -n -6 -f g.rom; jcp -q -n -6 -f g.rom" << "sending, sending" << "Is Flash? ticked, usable banks: 1 2 6MB, 6MB chosen";
        // clang-format on
    }

    void commands()
    {
        QFETCH(QString, steps);
        QFETCH(QString, runs);
        QFETCH(QString, shown);
        const QString file = workPath(QStringLiteral("бэкап dump.rom"));
        QFile::remove(file);
        DialogLog log;
        act(steps, file);
        QCOMPARE((QStringList(TestSupport::runs()) + opened)
                     .join("; ")
                     .remove(QRegularExpression("^; ")),
                 runs.replace("FILE", file).replace("WORK", workPath({})));
        QCOMPARE(log.shown, dialogs(shown, file));
        const QString notice = window->statusBar()->currentMessage();
        const auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        const QString panel = panelState() + (notice.isEmpty() ? "" : "; status bar: " + notice)
            + (window->isVisible() ? "" : "; window closed")
            + (menu ? "; " + menu->title() + " menu open" : "");
        QTEST(panel, "panel");
        // A field the keys were pressed in keeps its text, not even selected.
        if (focused)
            QCOMPARE(focused->text() + focused->selectedText(), QStringLiteral("0x802000"));
        // Only a dump that was started, or a file chosen, moves the next
        // dialogs' start; the switches are kept as the window leaves them.
        const bool moved = runs.contains(file) || steps.contains("defdir")
            || steps.startsWith("the file exists, press Select File");
        window.reset();
        const QSettings stored;
        QCOMPARE(
            QStringList({stored.value("defdir").toString(), stored.value("rev1").toString(),
                         stored.value("wordflash").toString()}),
            QStringList({moved ? file : QString(), panel.contains("Rev 1 on") ? "true" : "false",
                         panel.contains("Word Flash on") ? "true" : "false"}));
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
        trigger(window.get(), "press Select File");
        const auto text = [](const char *name) { return find<QLineEdit>(name)->text(); };
        QCOMPARE(QStringList({text("filenameEdit"), text("overrideAddress"), text("skipBytesval"),
                              find<QGroupBox>("isFlash")->isChecked() ? "flash" : "ram"})
                     + log.shown,
                 QStringList(path) + panel.split(' ') + dialogs("open"));
        // The address and skip are only proposed: their boxes stay unticked.
        trigger(window.get(), "press Go");
        QCOMPARE(runs(), (panel.endsWith("flash") ? "jcp -q -f " : "jcp -q ") + path);
    }

    void tabRing()
    {
        auto *tabs = find<QTabWidget>("tabWidget");
        for (const char *how :
             {"tick Override Address", "tick Skip header bytes", "tick Is Flash?"})
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

    void reports_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("pane");
        // The Output tab after the steps, a paragraph a line parted by "|",
        // the stand-in's banner as "jcp *"; FILE is the file given to the
        // dialogs, a cartridge image. Vantrel adds no word of its own.
        // clang-format off
        QTest::newRow("a line each run") << "the tool prints Serial: 1234\n, Ctrl+S, Ctrl+S" << "" << "Serial: 1234|Serial: 1234";
        QTest::newRow("standard error, an unfinished line ends with its run") << "the tool prints to standard error no board, Ctrl+S, Ctrl+S" << "" << "no board|no board";
        QTest::newRow("a paragraph a line") << "the tool prints   a\r\n\tb  \n, Ctrl+S, Ctrl+S" << "" << "a|b|a|b";
        QTest::newRow("spinner gone, an unfinished line ends with its run") << "the tool prints |\b/\b-\b\\\bdone, Ctrl+S, Ctrl+S" << "" << "/-\\done|/-\\done";
        QTest::newRow("bar between blanks") << "the tool prints x | y, Ctrl+S, Ctrl+S" << "" << "x  y|x  y";
        QTest::newRow("only a spinner") << "the tool prints |\b|\b, Ctrl+S, Ctrl+S" << "" << "";
        QTest::newRow("latin-1, markup") << "the tool prints café <b>x</b> &lt;, Ctrl+S, Ctrl+S" << "" << "café <b>x</b> &lt;|café <b>x</b> &lt;";
        const QString retries = "|.. retrying ..|.. retrying ..|* Can't open EZ-HOST.|";
        QTest::newRow("no board: Reset Skunk") << "no board, press Reset Skunk" << "" << "jcp *||Resetting jaguar..." + retries;
        QTest::newRow("no board: Get Skunk Serial") << "no board, Ctrl+S" << "" << "jcp *|" + retries;
        QTest::newRow("no board: Update Skunk") << "no board, Ctrl+U" << "updating" << "jcp *||Examining current board..." + retries;
        QTest::newRow("no board: bank 1 dump") << "no board, Ctrl+1" << "save bank 1, replace?, dumping bank 1" << "jcp *||Beginning dump to 'FILE'..." + retries;
        QTest::newRow("no board: bank 2 dump") << "no board, File > Dump ROM Bank 2 to file" << "save bank 2, replace?, dumping bank 2" << "jcp *||Using bank 2|Beginning dump to 'FILE'..." + retries;
        QTest::newRow("no board: flash a cartridge image") << "no board, press Select File, press Go" << "open, sending" << "jcp *||Cart ROM: Skip 8192 bytes, base addr is $802000, length is 65536 bytes" + retries;
        QTest::newRow("no board: a cartridge image to RAM is refused") << "no board, press Select File, tick Is Flash?, press Go" << "open, sending" << "jcp *||Cart ROM: Skip 8192 bytes, base addr is $802000, length is 65536 bytes|* This upload requires the -f option to prepare the flash!";
        // clang-format on
    }

    void reports()
    {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        QFETCH(QString, pane);
        const QString file = writeFile("cart.rom", cartridge());
        DialogLog log;
        act(steps, file);
        auto *output = find<QTextBrowser>("outputBrowser");
        QCOMPARE(output->toPlainText().replace('\n', '|').replace(QRegularExpression("^jcp [^|]*"),
                                                                  "jcp *"),
                 pane.replace("FILE", file));
        QCOMPARE(log.shown, dialogs(shown, file));
        QCOMPARE(window->statusBar()->currentMessage(), QString());
        QVERIFY(!output->toHtml().contains(QStringLiteral("font-weight:700")));
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
        for (const QString &how : QStringList{
                 "tick Is Flash?", "type " + workPath("big.rom") + " in Image file", "press Go"})
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
        trigger(window.get(), "Ctrl+Q");
        QTRY_COMPARE(window->isVisible(), answer == QLatin1String("Cancel"));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QTRY_COMPARE(QFile::exists(workPath(QStringLiteral("board/bank1.bin"))), toolFinishes);
        // A closed window leaves no tool behind.
        if (answer != QLatin1String("Cancel"))
            QVERIFY(!window->findChild<ToolRun *>()->isBusy());
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
        // The page keeps the margins of its left and top on its right and bottom.
        const QRect used = page->childrenRect();
        QVERIFY(page->minimumWidth() >= used.right() + used.left()
                && page->minimumHeight() >= used.bottom() + used.top());
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
    // A tool flooding both channels while the pane is behind "Options": the
    // window keeps answering, the busy dialog closes when the tool ends, the
    // pane keeps the newest output and shows it once in front.
    void flood()
    {
        qputenv("JCP_SIM_FLOOD_STDOUT", "1500000");
        qputenv("JCP_SIM_FLOOD_STDERR", "1500000");
        auto *pane = find<QTextBrowser>("outputBrowser");
        auto *run = window->findChild<ToolRun *>();

        // Counts the turns of the event loop while the flood goes on.
        int turns = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            turns += run->isBusy()
                && pane->document()->lastBlock().text().contains(QLatin1String(" retry "));
        });
        watch.start(1);
        find<QLineEdit>("filenameEdit")->setText(writeFile("game.rom", QByteArray(1024, 'x')));
        QTest::mouseClick(find<QPushButton>("doTransfer"), Qt::LeftButton);
        watch.stop();
        // It returns as the busy dialog closes, once the tool has ended.
        QVERIFY(turns > 0 && !run->isBusy());

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
    void open(const QUrl &url) { opened << "browser " + url.toString(); }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
