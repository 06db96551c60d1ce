#include "app/mainwindow.h"
#include "tests/boardtest.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/stat.h>

using TestSupport::child;
using TestSupport::showWindow;

namespace {

QByteArray putNumber(QByteArray data, int offset, quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    data.replace(offset, 4, QByteArray(bytes, 4));
    return data;
}

QByteArray romImage()
{
    return putNumber(QByteArray(16384, '\x11'), 1028, 0x802000);
}

QByteArray unknownImage()
{
    return QByteArray(4096, '\x22');
}

QByteArray elfImage(quint32 entry)
{
    QByteArray data(1024, '\0');
    data.replace(0, 4,
                 "\x7f"
                 "ELF");
    return putNumber(data, 24, entry);
}

QByteArray coffImage(quint32 address, quint32 offset)
{
    QByteArray data(1024, '\0');
    data.replace(0, 2, "\x01\x50");
    return putNumber(putNumber(data, 56, address), 68, offset);
}

QByteArray absImage(quint32 address)
{
    QByteArray data(1024, '\0');
    data.replace(0, 2, "\x60\x1b");
    return putNumber(data, 22, address);
}

// Message boxes that come up while it exists, recorded and closed with
// their OK button.
class MessageBoxCatcher
{
public:
    struct Box
    {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };

    MessageBoxCatcher()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            boxes.append({box->windowTitle(), box->text(), box->icon()});
            QAbstractButton *ok = box->button(QMessageBox::Ok);
            if (ok)
                QTest::mouseClick(ok, Qt::LeftButton);
            else
                box->reject();
        });
        timer.start();
    }

    QList<Box> boxes;

private:
    QTimer timer;
};

} // namespace

class TestSelectFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dialogAndField();
    void panel_data();
    void panel();
    void enabledFieldsGetTheTextsToo();
    void cancelEmptiesOnlyTheField();
    void rev1RomImage();
    void nextRunStartsAtTheChosenFile();
    void namesOutsideLatin1_data();
    void namesOutsideLatin1();
    void unreadableChoice_data();
    void unreadableChoice();
    void fifoDoesNotHang();

private:
    QString writeFile(const QString &name, const QByteArray &content);
    // Presses "Select File", looks at the dialog, types `path` and presses
    // Return (or Escape when `path` is empty), then runs `afterAccept`.
    BoardTest::FileDialogSeen choose(MainWindow &window, const QString &path,
                                     const std::function<void()> &afterAccept = {});
    static QString storedDefaultDir();

    std::unique_ptr<QTemporaryDir> dir;
};

void TestSelectFile::initTestCase()
{
    // Nothing in the folder's own path may look like ".rom" to detection.
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QLatin1String("/selectfile-XXXXXX"));
    QVERIFY(dir->isValid());
}

void TestSelectFile::init()
{
    TestSupport::clearSettings();
    TestSupport::clearRecordedRuns();
}

void TestSelectFile::cleanup()
{
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

QString TestSelectFile::writeFile(const QString &name, const QByteArray &content)
{
    QString path = dir->filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

BoardTest::FileDialogSeen TestSelectFile::choose(MainWindow &window, const QString &path,
                                                 const std::function<void()> &afterAccept)
{
    const auto seen = path.isEmpty() ? BoardTest::cancelNextFileDialog()
                                     : BoardTest::answerNextFileDialog(path, false, afterAccept);
    QTest::mouseClick(child<QPushButton>(&window, "fileSelect"), Qt::LeftButton);
    return *seen;
}

QString TestSelectFile::storedDefaultDir()
{
    QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
    return settings.value(QStringLiteral("defdir")).toString();
}

void TestSelectFile::dialogAndField()
{
    const QString path = writeFile(QStringLiteral("first/game.bin"), unknownImage());
    auto window = showWindow();
    MessageBoxCatcher catcher;

    const BoardTest::FileDialogSeen seen = choose(*window, path);

    QVERIFY(seen.seen);
    QCOMPARE(seen.caption, QStringLiteral("Select file to load to Skunkboard"));
    QCOMPARE(seen.nameFilters,
             QStringList{QStringLiteral("JagFiles(*.rom *.bin *.abs *.cof *.jag)")});
    QCOMPARE(seen.fileMode, QFileDialog::ExistingFile);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.parent, window.get());
    QCOMPARE(child<QLineEdit>(window.get(), "filenameEdit")->text(), path);
    QVERIFY(catcher.boxes.isEmpty());
}

void TestSelectFile::panel_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("skip");
    QTest::addColumn<bool>("isFlash");

    QTest::newRow("8 KB-header image") << romImage() << "header.bin"
                                       << "0x802000"
                                       << "8192" << true;
    QTest::newRow("unknown file") << unknownImage() << "unknown.bin"
                                  << "0x4000"
                                  << "0" << false;
    QTest::newRow("ELF entry 0x4000") << elfImage(0x4000) << "program.bin"
                                      << "0x4000"
                                      << "16384" << false;
    QTest::newRow("address 0x802000") << absImage(0x802000) << "exact.abs"
                                      << "0x802000"
                                      << "36" << true;
    QTest::newRow("address 0x801fff") << absImage(0x801fff) << "below.abs"
                                      << "0x801fff"
                                      << "36" << false;
    QTest::newRow("negative address and skip")
        << coffImage(0x80000000, 0xfffffff0) << "negative.cof"
        << "0x80000000"
        << "-16" << false;
    QTest::newRow("headerless ROM") << unknownImage() << "plain.ROM"
                                    << "0x802000"
                                    << "0" << true;
}

void TestSelectFile::panel()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, skip);
    QFETCH(bool, isFlash);

    // A choice before leaves "Is Flash?" the other way, so the box is seen
    // to be set either way.
    const QString before = isFlash ? writeFile(QStringLiteral("before.bin"), unknownImage())
                                   : writeFile(QStringLiteral("before.bin"), romImage());
    const QString path = writeFile(name, content);
    auto window = showWindow();
    MessageBoxCatcher catcher;
    auto *flash = child<QGroupBox>(window.get(), "isFlash");

    choose(*window, before);
    QCOMPARE(flash->isChecked(), !isFlash);
    choose(*window, path);

    QCOMPARE(child<QLineEdit>(window.get(), "filenameEdit")->text(), path);
    QCOMPARE(child<QLineEdit>(window.get(), "overrideAddress")->text(), address);
    QCOMPARE(child<QLineEdit>(window.get(), "skipBytesval")->text(), skip);
    QCOMPARE(flash->isChecked(), isFlash);
    QCOMPARE(child<QRadioButton>(window.get(), "bank1Radio")->isEnabled(), isFlash);
    // Proposals only: the boxes stay clear and the fields stay disabled.
    QVERIFY(!child<QCheckBox>(window.get(), "overrideCheck")->isChecked());
    QVERIFY(!child<QCheckBox>(window.get(), "skipheaderCheck")->isChecked());
    QVERIFY(!child<QLineEdit>(window.get(), "overrideAddress")->isEnabled());
    QVERIFY(!child<QLineEdit>(window.get(), "skipBytesval")->isEnabled());
    QVERIFY(catcher.boxes.isEmpty());
}

void TestSelectFile::enabledFieldsGetTheTextsToo()
{
    const QString path = writeFile(QStringLiteral("enabled.abs"), absImage(0x5000));
    auto window = showWindow();
    MessageBoxCatcher catcher;
    QTest::mouseClick(child<QCheckBox>(window.get(), "overrideCheck"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>(window.get(), "skipheaderCheck"), Qt::LeftButton);
    QVERIFY(child<QLineEdit>(window.get(), "overrideAddress")->isEnabled());
    QVERIFY(child<QLineEdit>(window.get(), "skipBytesval")->isEnabled());

    choose(*window, path);

    QCOMPARE(child<QLineEdit>(window.get(), "overrideAddress")->text(), QStringLiteral("0x5000"));
    QCOMPARE(child<QLineEdit>(window.get(), "skipBytesval")->text(), QStringLiteral("36"));
    QVERIFY(child<QLineEdit>(window.get(), "overrideAddress")->isEnabled());
    QVERIFY(child<QLineEdit>(window.get(), "skipBytesval")->isEnabled());
    QVERIFY(child<QCheckBox>(window.get(), "overrideCheck")->isChecked());
    QVERIFY(child<QCheckBox>(window.get(), "skipheaderCheck")->isChecked());
    QVERIFY(catcher.boxes.isEmpty());
}

void TestSelectFile::cancelEmptiesOnlyTheField()
{
    const QString path = writeFile(QStringLiteral("kept/game.bin"), romImage());
    auto window = showWindow();
    MessageBoxCatcher catcher;
    choose(*window, path);

    const BoardTest::FileDialogSeen cancelled = choose(*window, QString());

    QVERIFY(cancelled.seen);
    QCOMPARE(child<QLineEdit>(window.get(), "filenameEdit")->text(), QString());
    QCOMPARE(child<QLineEdit>(window.get(), "overrideAddress")->text(), QStringLiteral("0x802000"));
    QCOMPARE(child<QLineEdit>(window.get(), "skipBytesval")->text(), QStringLiteral("8192"));
    QVERIFY(child<QGroupBox>(window.get(), "isFlash")->isChecked());
    // The cancelled dialog does not move the start of the next one.
    const BoardTest::FileDialogSeen next = choose(*window, QString());
    QCOMPARE(next.path(), path);
    window.reset();
    QCOMPARE(storedDefaultDir(), path);
    QVERIFY(catcher.boxes.isEmpty());
}

void TestSelectFile::rev1RomImage()
{
    const QString path = writeFile(QStringLiteral("rev1.rom"), romImage());
    auto window = showWindow();
    MessageBoxCatcher catcher;
    child<QAction>(window.get(), "actionRev_1_Skunkboard")->trigger();
    QVERIFY(!child<QGroupBox>(window.get(), "isFlash")->isChecked());

    choose(*window, path);

    QVERIFY(child<QGroupBox>(window.get(), "isFlash")->isChecked());
    QVERIFY(child<QRadioButton>(window.get(), "bank1Radio")->isEnabled());
    QVERIFY(child<QRadioButton>(window.get(), "bank1Radio")->isChecked());
    QVERIFY(!child<QRadioButton>(window.get(), "bank2Radio")->isEnabled());
    QVERIFY(!child<QRadioButton>(window.get(), "bank6Radio")->isEnabled());
    QVERIFY(catcher.boxes.isEmpty());
}

void TestSelectFile::nextRunStartsAtTheChosenFile()
{
    const QString path = writeFile(QStringLiteral("restart/kept.rom"), romImage());
    MessageBoxCatcher catcher;
    {
        auto window = showWindow();
        choose(*window, path);
    }
    QCOMPARE(storedDefaultDir(), path);

    auto window = showWindow();
    const BoardTest::FileDialogSeen seen = choose(*window, QString());

    QCOMPARE(seen.directory, QFileInfo(path).absolutePath());
    QCOMPARE(seen.path(), path);
    QCOMPARE(seen.fileName, QStringLiteral("kept.rom"));
    QVERIFY(catcher.boxes.isEmpty());
}

void TestSelectFile::namesOutsideLatin1_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("skip");

    QTest::newRow("Cyrillic, ELF") << QStringLiteral("игра.rom") << elfImage(0x4000) << "0x4000"
                                   << "16384";
    QTest::newRow("Latin-1, headerless")
        << QStringLiteral("démo.rom") << unknownImage() << "0x802000"
        << "0";
}

void TestSelectFile::namesOutsideLatin1()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, address);
    QFETCH(QString, skip);

    const QString path = writeFile(name, content);
    MessageBoxCatcher catcher;
    {
        auto window = showWindow();
        choose(*window, path);
        QCOMPARE(child<QLineEdit>(window.get(), "filenameEdit")->text(), path);
        QCOMPARE(child<QLineEdit>(window.get(), "overrideAddress")->text(), address);
        QCOMPARE(child<QLineEdit>(window.get(), "skipBytesval")->text(), skip);
        const BoardTest::FileDialogSeen next = choose(*window, QString());
        QCOMPARE(next.path(), path);
    }
    QCOMPARE(storedDefaultDir(), path);
    QVERIFY(catcher.boxes.isEmpty());
}

void TestSelectFile::unreadableChoice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("becomesFolder");
    QTest::addColumn<int>("error");

    QTest::newRow("file gone, name outside Latin-1") << "пропала.rom" << false << ENOENT;
    QTest::newRow("file replaced by a folder") << "folder.rom" << true << EISDIR;
}

void TestSelectFile::unreadableChoice()
{
    QFETCH(QString, name);
    QFETCH(bool, becomesFolder);
    QFETCH(int, error);

    const QString earlier = writeFile(QStringLiteral("earlier/good.bin"), romImage());
    const QString path = dir->filePath(QStringLiteral("bad/") + name);
    writeFile(QDir(dir->path()).relativeFilePath(path), unknownImage());

    MessageBoxCatcher catcher;
    {
        auto window = showWindow();
        choose(*window, earlier);
        // The dialog saw the file; it goes away before the window opens it.
        choose(*window, path, [&] {
            QFile::remove(path);
            if (becomesFolder)
                QDir().mkdir(path);
        });

        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().title, QStringLiteral("Select File"));
        QCOMPARE(catcher.boxes.first().text,
                 QStringLiteral("Cannot read %1: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(error))));
        QCOMPARE(catcher.boxes.first().icon, QMessageBox::Warning);

        QCOMPARE(child<QLineEdit>(window.get(), "filenameEdit")->text(), path);
        QCOMPARE(child<QLineEdit>(window.get(), "overrideAddress")->text(),
                 QStringLiteral("0x802000"));
        QCOMPARE(child<QLineEdit>(window.get(), "skipBytesval")->text(), QStringLiteral("8192"));
        QVERIFY(child<QGroupBox>(window.get(), "isFlash")->isChecked());
        const BoardTest::FileDialogSeen next = choose(*window, QString());
        QCOMPARE(next.path(), earlier);
    }
    QCOMPARE(storedDefaultDir(), earlier);
    QDir(dir->filePath(QStringLiteral("bad"))).removeRecursively();
}

void TestSelectFile::fifoDoesNotHang()
{
    // Nothing ever writes to it: the window must not wait for a writer.
    const QString path = dir->filePath(QStringLiteral("pipe.rom"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    auto window = showWindow();
    MessageBoxCatcher catcher;

    choose(*window, path);

    QCOMPARE(child<QLineEdit>(window.get(), "overrideAddress")->text(), QStringLiteral("0x802000"));
    QCOMPARE(child<QLineEdit>(window.get(), "skipBytesval")->text(), QStringLiteral("0"));
    QVERIFY(catcher.boxes.isEmpty());
    QFile::remove(path);
}

VANTREL_TEST_MAIN(TestSelectFile)
#include "tst_selectfile.moc"
