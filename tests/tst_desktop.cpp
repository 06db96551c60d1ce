// The window on a desktop: images dropped from a file manager, names for
// screen readers, the menus' keys wherever the focus is, larger fonts.
#include "tests/testsupport.h"

#include <sys/stat.h>

using namespace TestSupport;

class DesktopTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private:
    std::unique_ptr<MainWindow> window;
    const QFont defaultFont = QApplication::font();
    QString seen; // the title of a dialog the test opened, closed once seen

private slots:
    void init()
    {
        QFile::remove(workPath("runs"));
        window = showWindow();
        seen.clear();
        onNextModal([this](QWidget *modal) {
            seen = modal->windowTitle();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
    }
    void cleanup()
    {
        qDeleteAll(qApp->findChildren<QTimer *>(QStringLiteral("modalAnswer")));
        window.reset();
        QApplication::setFont(defaultFont);
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
        QTest::newRow("a fifo, warned") << "tab" << "%1pipe\r\n" << "%1pipe|Select File";
        // clang-format on
    }

    void drop()
    {
        QFETCH(QString, target);
        QFETCH(QString, uris);
        QFETCH(QString, outcome);
        // As a file manager sends it, to the window as the desktop does; the
        // window passes the move on as an enter to the widget under it.
        QMimeData data;
        data.setData("text/uri-list", uris.replace("%1", "file://" + workPath({}) + '/').toUtf8());
        data.setText(uris);
        const QPoint at = find<QWidget>(qPrintable(target))->mapTo(window.get(), QPoint(8, 8));
        QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window->windowHandle(), &move);
        QCOMPARE(move.isAccepted() && move.dropAction() == Qt::CopyAction, outcome != "|");
        QDropEvent drop(at, move.possibleActions(), &data, Qt::LeftButton, {});
        QApplication::sendEvent(window->windowHandle(), &drop);
        QTRY_COMPARE(find<QLineEdit>("filenameEdit")->text() + '|'
                         + find<QLineEdit>("overrideAddress")->text() + seen,
                     outcome.replace("%1", workPath({}) + '/'));
    }

    void asDrawn()
    {
        // At the default font every place is as drawn; screen readers hear
        // names a sighted user never sees.
        QCOMPARE(find<QWidget>("bank6Radio")->geometry(), QRect(157, 34, 49, 21));
        QStringList heard;
        for (const char *w : {"filenameEdit", "overrideAddress", "skipBytesval", "outputBrowser"})
            heard
                << QAccessible::queryAccessibleInterface(find<QWidget>(w))->text(QAccessible::Name);
        QCOMPARE(heard.join('|'), "Image file|Load address|Header bytes to skip|Flash tool output");
    }

    void shortcuts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("outcome");
        // clang-format off
        const std::pair<const char *, const char *> keys[]{{"Ctrl+Q", "closed"}, {"Ctrl+R", "-r"}, {"Ctrl+S", "-q -s"},
            {"Ctrl+U", "-q -u"}, {"Ctrl+1", "Select file to dump bank 1 ROM to"}, {"Ctrl+2", "Select file to dump bank 2 ROM to"},
            {"Ctrl+A", "About Vantrel"}, {"F10", "File"}};
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
        auto *line = find<QLineEdit>(qPrintable(field));
        line->setText(QStringLiteral("0x802000"));
        line->setEnabled(true);
        line->setFocus();
        QTest::keySequence(line, keys);
        if (const QAction *menu = window->menuBar()->activeAction())
            seen = menu->text();
        if (!window->isVisible())
            seen = QStringLiteral("closed");
        QTRY_COMPARE(seen.isEmpty() ? runs().section(' ', 0, 0).replace('|', ' ') : seen, outcome);
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
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
