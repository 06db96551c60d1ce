#include "app/mainwindow.h"
#include "tests/boardtest.h"
#include "tests/dialogwatcher.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>

using TestSupport::child;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray randomBytes(int size)
{
    QByteArray data(size, '\0');
    for (char &byte : data)
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return data;
}

} // namespace

class TestDump : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cancelledSaveDialog_data();
    void cancelledSaveDialog();
    void newFileDumpsAtOnce_data();
    void newFileDumpsAtOnce();
    void existingFile_data();
    void existingFile();
    void bank2DisabledUnderRev1();
    void failedDumpStillMovesTheStartPath();
    void pathOutsideLatin1ReachesTheToolUnchanged();

private:
    // What the simulated board holds in each bank.
    QByteArray m_bank[3];
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startPath;
};

void TestDump::init()
{
    TestSupport::startAsFirstRun();

    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Every test starts from a remembered earlier file, in a folder of its own.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("earlier")));
    m_startPath = m_dir->filePath(QStringLiteral("earlier/last game.rom"));
    QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
        .setValue(QStringLiteral("defdir"), m_startPath);

    const QString board = QFile::decodeName(qgetenv("JCP_SIM_STATE_DIR"));
    QVERIFY(QDir().mkpath(board));
    for (int bank : {1, 2}) {
        m_bank[bank] = randomBytes(64 * 1024 + bank);
        QVERIFY(writeAll(board + QStringLiteral("/bank%1.bin").arg(bank), m_bank[bank]));
    }
}

void TestDump::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

void TestDump::cancelledSaveDialog_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("caption");

    QTest::newRow("bank 1") << int(Qt::Key_1) << "Select file to dump bank 1 ROM to";
    QTest::newRow("bank 2") << int(Qt::Key_2) << "Select file to dump bank 2 ROM to";
}

void TestDump::cancelledSaveDialog()
{
    QFETCH(int, key);
    QFETCH(QString, caption);

    auto window = BoardTest::showWindow();
    DialogWatcher watcher;
    auto seen = BoardTest::cancelNextFileDialog();
    BoardTest::pressShortcut(window.get(), Qt::Key(key));

    QVERIFY(seen->seen);
    QCOMPARE(seen->caption, caption);
    QCOMPARE(seen->nameFilters, QStringList{"JagFiles(*.rom *.bin *.abs *.cof *.jag)"});
    // Opens where the remembered file is, with its name filled in.
    QCOMPARE(seen->directory, m_dir->filePath(QStringLiteral("earlier")));
    QCOMPARE(seen->fileName, QStringLiteral("last game.rom"));
    QCOMPARE(watcher.count("QMessageBox"), 0);
    QCOMPARE(watcher.count("QProgressDialog"), 0);
    QVERIFY(TestSupport::recordedRuns().isEmpty());

    const BoardTest::FileDialogSeen next = BoardTest::nextDumpDialogStart(window.get());
    QCOMPARE(next.directory, m_dir->filePath(QStringLiteral("earlier")));
    QCOMPARE(next.fileName, QStringLiteral("last game.rom"));
    window.reset();
    QCOMPARE(QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
                 .value(QStringLiteral("defdir"))
                 .toString(),
             m_startPath);
}

void TestDump::newFileDumpsAtOnce_data()
{
    QTest::addColumn<int>("bank");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("title");

    QTest::newRow("bank 1") << 1 << "-d"
                            << "Dumping bank 1 ROM to file";
    QTest::newRow("bank 2") << 2 << "-d2"
                            << "Dumping bank 2 ROM to file";
}

void TestDump::newFileDumpsAtOnce()
{
    QFETCH(int, bank);
    QFETCH(QString, flag);
    QFETCH(QString, title);

    auto window = BoardTest::showWindow();
    const QString target = m_dir->filePath(QStringLiteral("a.rom"));
    DialogWatcher watcher;
    qputenv("JCP_SIM_SLEEP_MS", "800");
    BoardTest::answerNextFileDialog(target);
    auto busy = BoardTest::inspectNextBusyDialog(window.get());
    BoardTest::pressShortcut(window.get(), bank == 1 ? Qt::Key_1 : Qt::Key_2);

    // No question for a new file; the tool ran once with exactly this list.
    QCOMPARE(watcher.count("QMessageBox"), 0);
    QCOMPARE(TestSupport::recordedRuns(), (QList<QStringList>{{"-q", flag, target}}));
    QVERIFY(busy->seen);
    QVERIFY(busy->visible);
    QCOMPARE(busy->title, title);
    QCOMPARE(
        busy->label,
        QStringLiteral("This can take a minute or so depending on ROM size and USB speed of PC"));
    QVERIFY(!busy->hasCancelButton);
    QCOMPARE(busy->minimum, 0);
    QCOMPARE(busy->maximum, 0);
    QCOMPARE(busy->modality, Qt::WindowModal);
    // Back only after the tool had ended: the file is written and complete.
    QVERIFY(!BoardTest::busyDialog()->isVisible());
    QCOMPARE(readAll(target), m_bank[bank]);

    // The next save dialog and the next open dialog start at the dump.
    const BoardTest::FileDialogSeen next = BoardTest::nextDumpDialogStart(window.get());
    QCOMPARE(next.directory, m_dir->path());
    QCOMPARE(next.fileName, QStringLiteral("a.rom"));
    auto open = BoardTest::cancelNextFileDialog();
    QTest::mouseClick(child<QPushButton>(window.get(), "fileSelect"), Qt::LeftButton);
    QTRY_VERIFY(open->seen);
    QCOMPARE(open->directory, m_dir->path());
    QCOMPARE(open->fileName, QStringLiteral("a.rom"));
    QCOMPARE(TestSupport::recordedRuns().size(), 1);
    window.reset();
    QCOMPARE(QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
                 .value(QStringLiteral("defdir"))
                 .toString(),
             target);
}

void TestDump::existingFile_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("dumps");

    QTest::newRow("No") << "No" << false;
    QTest::newRow("Escape") << "Escape" << false;
    QTest::newRow("Yes") << "Yes" << true;
    QTest::newRow("Return") << "Return" << true;
}

void TestDump::existingFile()
{
    QFETCH(QString, answer);
    QFETCH(bool, dumps);

    const QString target = m_dir->filePath(QStringLiteral("kept.rom"));
    const QByteArray original("a file the user cares about");
    QVERIFY(writeAll(target, original));

    auto window = BoardTest::showWindow();
    // The file dialog asks first about replacing the file, then the window.
    BoardTest::answerNextFileDialog(target, true);
    struct Question
    {
        bool seen = false;
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool yesIsDefault = false;
        bool noIsEscape = false;
        qsizetype buttons = 0;
    };
    auto question = std::make_shared<Question>();
    TestSupport::onNextModal(
        [question, answer](QWidget *widget) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            question->seen = true;
            question->title = box->windowTitle();
            question->text = box->text();
            question->icon = box->icon();
            question->yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
            question->noIsEscape = box->escapeButton() == box->button(QMessageBox::No);
            question->buttons = box->buttons().size();
            if (answer == QLatin1String("No"))
                QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
            else if (answer == QLatin1String("Yes"))
                QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            else if (answer == QLatin1String("Escape"))
                QTest::keyClick(box, Qt::Key_Escape);
            else
                QTest::keyClick(box, Qt::Key_Return);
        },
        [](QWidget *widget) {
            return qobject_cast<QMessageBox *>(widget)
                && widget->windowTitle() == QLatin1String("Recent Files");
        });
    BoardTest::pressShortcut(window.get(), Qt::Key_1);

    QVERIFY(question->seen);
    QCOMPARE(question->title, QStringLiteral("Recent Files"));
    QCOMPARE(question->text,
             QStringLiteral("File %1 already exists.\nDo you want to overwrite it?").arg(target));
    QCOMPARE(question->icon, QMessageBox::Warning);
    QVERIFY(question->yesIsDefault);
    QVERIFY(question->noIsEscape);
    QCOMPARE(question->buttons, qsizetype(2));

    const BoardTest::FileDialogSeen next = BoardTest::nextDumpDialogStart(window.get());
    if (dumps) {
        QCOMPARE(TestSupport::recordedRuns(), (QList<QStringList>{{"-q", "-d", target}}));
        QCOMPARE(readAll(target), m_bank[1]);
        QCOMPARE(next.directory, m_dir->path());
        QCOMPARE(next.fileName, QStringLiteral("kept.rom"));
    } else {
        QVERIFY(TestSupport::recordedRuns().isEmpty());
        QCOMPARE(readAll(target), original);
        QCOMPARE(next.directory, m_dir->filePath(QStringLiteral("earlier")));
        QCOMPARE(next.fileName, QStringLiteral("last game.rom"));
    }
}

void TestDump::bank2DisabledUnderRev1()
{
    auto window = BoardTest::showWindow();
    auto *rev1 = child<QAction>(window.get(), "actionRev_1_Skunkboard");
    auto *dump2 = child<QAction>(window.get(), "actionDump_Bank2");
    rev1->trigger();
    QVERIFY(rev1->isChecked());
    QVERIFY(!dump2->isEnabled());
    {
        DialogWatcher watcher(true);
        BoardTest::pressShortcut(window.get(), Qt::Key_2);
        QCOMPARE(watcher.total(), 0);
    }
    QVERIFY(TestSupport::recordedRuns().isEmpty());

    // Switched off again, the same key opens the bank-2 save dialog.
    rev1->trigger();
    QVERIFY(dump2->isEnabled());
    auto seen = BoardTest::cancelNextFileDialog();
    BoardTest::pressShortcut(window.get(), Qt::Key_2);
    QVERIFY(seen->seen);
    QVERIFY(seen->caption.contains(QStringLiteral("bank 2")));
    QVERIFY(TestSupport::recordedRuns().isEmpty());
}

void TestDump::failedDumpStillMovesTheStartPath()
{
    auto window = BoardTest::showWindow();
    const QString target = m_dir->filePath(QStringLiteral("failed.rom"));
    qputenv("JCP_SIM_STDERR", "jcp: cannot read bank 1: device not responding\n");
    qputenv("JCP_SIM_EXIT", "1");
    BoardTest::answerNextFileDialog(target);
    BoardTest::pressShortcut(window.get(), Qt::Key_1);

    QVERIFY(!BoardTest::busyDialog()->isVisible());
    QVERIFY(BoardTest::outputParagraphs(window.get())
                .contains(QStringLiteral("jcp: cannot read bank 1: device not responding")));
    QVERIFY(!QFile::exists(target));
    const BoardTest::FileDialogSeen next = BoardTest::nextDumpDialogStart(window.get());
    QCOMPARE(next.directory, m_dir->path());
    QCOMPARE(next.fileName, QStringLiteral("failed.rom"));
}

void TestDump::pathOutsideLatin1ReachesTheToolUnchanged()
{
    // A file named as the narrowed path would be: it must not be touched.
    const QString narrowed = m_dir->filePath(QStringLiteral("?????.rom"));
    QVERIFY(writeAll(narrowed, "someone else's file"));
    const QString target = m_dir->filePath(QStringLiteral("бэкап.rom"));

    auto window = BoardTest::showWindow();
    DialogWatcher watcher;
    BoardTest::answerNextFileDialog(target);
    BoardTest::pressShortcut(window.get(), Qt::Key_1);

    QCOMPARE(watcher.count("QMessageBox"), 0);
    QCOMPARE(TestSupport::recordedRuns(), (QList<QStringList>{{"-q", "-d", target}}));
    QCOMPARE(readAll(target), m_bank[1]);
    QCOMPARE(readAll(narrowed), QByteArray("someone else's file"));

    const BoardTest::FileDialogSeen next = BoardTest::nextDumpDialogStart(window.get());
    QCOMPARE(next.directory, m_dir->path());
    QCOMPARE(next.fileName, QStringLiteral("бэкап.rom"));
    window.reset();
    QCOMPARE(QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"))
                 .value(QStringLiteral("defdir"))
                 .toString(),
             target);
}

VANTREL_TEST_MAIN(TestDump)
#include "tst_dump.moc"
