// The stand-in flash tool, run as a program the way Vantrel runs it: which
// argument lists it takes, what it records, what the simulated board keeps,
// what it prints and how tests steer it.

#include "tests/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

constexpr qint64 MiB = qint64(1024) * 1024;

const char firstLine[] = "jcp stand-in: simulated Skunkboard, no hardware is used\n";

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray randomBytes(qint64 size, quint32 seed)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (qint64 i = 0; i < size; ++i)
        data[i] = static_cast<char>(generator.generate() & 0xff);
    return data;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

class TestJcp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void acceptedArgumentLists_data();
    void acceptedArgumentLists();
    void refusedArgumentLists_data();
    void refusedArgumentLists();
    void recordKeepsArgumentsExact_data();
    void recordKeepsArgumentsExact();
    void flashThenDumpGivesTheImageBack_data();
    void flashThenDumpGivesTheImageBack();
    void errors_data();
    void errors();
    void progressAndByteCount_data();
    void progressAndByteCount();
    void stateDirectoryDefaults_data();
    void stateDirectoryDefaults();
    void overrideMode_data();
    void overrideMode();

private:
    QString jcp() const { return QCoreApplication::applicationDirPath() + QLatin1String("/jcp"); }
    QString work(const QString &name) const { return dir->filePath(QLatin1String("work/") + name); }
    QString board(const QString &name) const
    {
        return dir->filePath(QLatin1String("board/") + name);
    }
    // Replaces the placeholders IMG, BIG, HUGE, OUT and WORK in a table's argument
    // list with paths in this test's folder.
    QStringList resolve(const QStringList &args) const;
    QByteArray writeImage(const QString &name, qint64 size, quint32 seed = 1) const;
    Run run(const QStringList &args);

    std::unique_ptr<QTemporaryDir> dir;
    QProcessEnvironment environment;
};

void TestJcp::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("work")));
    TestSupport::clearRecordedRuns();
    TestSupport::resetToolBehaviour();
    environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JCP_SIM_STATE_DIR"), dir->filePath(QStringLiteral("board")));
}

void TestJcp::cleanup()
{
    dir.reset();
}

QStringList TestJcp::resolve(const QStringList &args) const
{
    QStringList resolved;
    for (const QString &arg : args) {
        if (arg == QLatin1String("IMG"))
            resolved << work(QStringLiteral("game.rom"));
        else if (arg == QLatin1String("BIG"))
            resolved << work(QStringLiteral("big.rom"));
        else if (arg == QLatin1String("HUGE"))
            resolved << work(QStringLiteral("huge.rom"));
        else if (arg == QLatin1String("OUT"))
            resolved << work(QStringLiteral("dump.rom"));
        else if (arg == QLatin1String("WORK"))
            resolved << dir->filePath(QStringLiteral("work"));
        else
            resolved << arg;
    }
    return resolved;
}

QByteArray TestJcp::writeImage(const QString &name, qint64 size, quint32 seed) const
{
    QByteArray data = randomBytes(size, seed);
    QFile file(work(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write the test image %s", qPrintable(file.fileName()));
    return data;
}

Run TestJcp::run(const QStringList &args)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir->filePath(QStringLiteral("work")));
    process.start(jcp(), args);
    Run result;
    if (!process.waitForStarted(10000) || !process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        qWarning("jcp %s did not run to its end", qPrintable(args.join(QLatin1Char(' '))));
        return result;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestJcp::acceptedArgumentLists_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("said");

    const QString ram = QStringLiteral("bytes sent to RAM");
    const QString bank1 = QStringLiteral("bytes sent to flash bank 1");
    QTest::newRow("plain") << QStringList{"-q", "IMG"} << ram;
    QTest::newRow("skip boot") << QStringList{"-q", "-n", "IMG"} << ram;
    QTest::newRow("override hex") << QStringList{"-q", "-o", "IMG", "0x802000"} << ram;
    QTest::newRow("header skip") << QStringList{"-q", "-h", "8192", "IMG"} << ram;
    QTest::newRow("flash bank 2") << QStringList{"-q", "-2", "-f", "IMG"}
                                  << QStringLiteral("bytes sent to flash bank 2");
    QTest::newRow("flash 6MB") << QStringList{"-q", "-6", "-f", "IMG"}
                               << QStringLiteral("bytes sent to flash banks 1 and 2");
    QTest::newRow("word flash") << QStringList{"-q", "-w", "-f", "IMG"} << bank1;
    QTest::newRow("everything, bank 2")
        << QStringList{"-q", "-n", "-o", "-2", "-w", "-f", "-h", "16", "IMG", "0x802000"}
        << QStringLiteral("bytes sent to flash bank 2");
    QTest::newRow("file named like a flag") << QStringList{"-q", "-f", "-f"} << bank1;
    QTest::newRow("reset") << QStringList{"-r"} << QStringLiteral("Skunkboard reset");
    QTest::newRow("serial") << QStringList{"-q", "-s"} << QStringLiteral("Serial number: ");
    QTest::newRow("dump bank 1") << QStringList{"-q", "-d", "OUT"}
                                 << QStringLiteral("Dump complete: 40000 bytes");
    QTest::newRow("dump bank 2") << QStringList{"-q", "-d2", "OUT"}
                                 << QStringLiteral("Dump complete: 30000 bytes");
}

void TestJcp::acceptedArgumentLists()
{
    QFETCH(QStringList, args);
    QFETCH(QString, said);

    writeImage(QStringLiteral("game.rom"), 40000);
    QCOMPARE(run(resolve({"-q", "-f", "IMG"})).exitCode, 0);
    writeImage(QStringLiteral("big.rom"), 30000, 2);
    QCOMPARE(run(resolve({"-q", "-2", "-f", "BIG"})).exitCode, 0);
    for (const char *name : {"-f", "-h", "my game.rom"})
        writeImage(QString::fromUtf8(name), 1000);

    const Run result = run(resolve(args));
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith(firstLine));
    QVERIFY2(result.out.contains(said.toUtf8()), result.out.constData());
}

void TestJcp::refusedArgumentLists_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("file without -q") << QStringList{"IMG"};
    QTest::newRow("reset twice") << QStringList{"-r", "-r"};
    QTest::newRow("serial with more") << QStringList{"-q", "-s", "x"};
    QTest::newRow("dump with two paths") << QStringList{"-q", "-d", "OUT", "OUT"};
    QTest::newRow("bank 2 without flash") << QStringList{"-q", "-2", "IMG"};
    QTest::newRow("bank 2 and 6MB") << QStringList{"-q", "-2", "-6", "-f", "IMG"};
    QTest::newRow("flags out of order") << QStringList{"-q", "-f", "-n", "IMG"};
    QTest::newRow("-o without address") << QStringList{"-q", "-o", "IMG"};
    QTest::newRow("address without -o") << QStringList{"-q", "IMG", "0x802000"};
    QTest::newRow("-h without file") << QStringList{"-q", "-h", "16"};
    QTest::newRow("flag given twice") << QStringList{"-q", "-n", "-n", "IMG"};
    QTest::newRow("two files") << QStringList{"-q", "IMG", "IMG"};
}

void TestJcp::refusedArgumentLists()
{
    QFETCH(QStringList, args);
    writeImage(QStringLiteral("game.rom"), 1000);

    const Run result = run(resolve(args));
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains("argument list not understood"), result.err.constData());
    QVERIFY(result.err.contains("usage"));
    QVERIFY(!QFile::exists(board(QStringLiteral("bank1.bin"))));
    QVERIFY(!QFile::exists(board(QStringLiteral("bank2.bin"))));
    QVERIFY(!QFile::exists(work(QStringLiteral("dump.rom"))));
}

void TestJcp::recordKeepsArgumentsExact_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("one empty") << QStringList{QString()};
    QTest::newRow("empties around") << QStringList{"", "-q", "", ""};
    QTest::newRow("blanks") << QStringList{"with space", "  lead", "trail  ", " "};
    QTest::newRow("non-ASCII") << QStringList{QStringLiteral("grüße.rom"), QStringLiteral("日本語"),
                                              QStringLiteral("€ 😀")};
    QTest::newRow("quotes and backslashes")
        << QStringList{"a\"b", "back\\slash", "\\\"", "\"", "\\", "C:\\dir\\x.rom"};
}

void TestJcp::recordKeepsArgumentsExact()
{
    QFETCH(QStringList, args);

    run(args);
    run({"-r"});
    QCOMPARE(TestSupport::recordedRuns(), (QList<QStringList>{args, {"-r"}}));
}

void TestJcp::flashThenDumpGivesTheImageBack_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("skip");
    QTest::addColumn<qint64>("bank1Bytes"); // -1: bank 1 stays empty
    QTest::addColumn<qint64>("bank2Bytes");

    QTest::newRow("bank 1, header skip") << QStringList{"-f", "-h", "8192"} << qint64(8192 + 100001)
                                         << qint64(8192) << qint64(100001) << qint64(-1);
    QTest::newRow("bank 1 filled to the last byte")
        << QStringList{"-f", "-h", "16"} << 4 * MiB + 16 << qint64(16) << 4 * MiB << qint64(-1);
    QTest::newRow("bank 2, header skip, address")
        << QStringList{"-n", "-o", "-2", "-w", "-f", "-h", "512"} << qint64(512 + 7777)
        << qint64(512) << qint64(-1) << qint64(7777);
    QTest::newRow("6MB across both banks")
        << QStringList{"-6", "-f"} << 5 * MiB + 123 << qint64(0) << 4 * MiB << MiB + 123;
}

void TestJcp::flashThenDumpGivesTheImageBack()
{
    QFETCH(QStringList, flags);
    QFETCH(qint64, size);
    QFETCH(qint64, skip);
    QFETCH(qint64, bank1Bytes);
    QFETCH(qint64, bank2Bytes);

    const QByteArray image = writeImage(QStringLiteral("game.rom"), size);
    QStringList args = QStringList{"-q"} + flags + QStringList{"IMG"};
    if (flags.contains(QLatin1String("-o")))
        args << QStringLiteral("0x802000");
    const Run flash = run(resolve(args));
    QVERIFY2(flash.err.isEmpty(), flash.err.constData());
    QCOMPARE(flash.exitCode, 0);
    QVERIFY(flash.out.contains("Transfer complete: " + QByteArray::number(size - skip) + " bytes"));

    const QByteArray data = image.mid(skip);
    const QList<QPair<QString, qint64>> banks
        = {{QStringLiteral("-d"), bank1Bytes}, {QStringLiteral("-d2"), bank2Bytes}};
    qint64 offset = 0;
    for (const auto &[dumpFlag, bytes] : banks) {
        // A longer file already at the target must be replaced, not overwritten in part.
        const QString target = work(QStringLiteral("dump%1.rom").arg(dumpFlag));
        QFile junk(target);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(7 * MiB, 'x'));
        junk.close();

        const Run dump = run({"-q", dumpFlag, target});
        if (bytes < 0) {
            QVERIFY(dump.exitCode != 0);
            QVERIFY2(dump.err.contains("is empty"), dump.err.constData());
            continue;
        }
        QVERIFY2(dump.err.isEmpty(), dump.err.constData());
        QCOMPARE(dump.exitCode, 0);
        QVERIFY(dump.out.contains("Dump complete: " + QByteArray::number(bytes) + " bytes"));
        QFile dumped(target);
        QVERIFY(dumped.open(QIODevice::ReadOnly));
        const QByteArray back = dumped.readAll();
        QCOMPARE(back.size(), bytes);
        QVERIFY2(back == data.mid(offset, bytes), qPrintable(dumpFlag));
        offset += bytes;
    }
    QCOMPARE(offset, data.size());
}

void TestJcp::errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // a pattern

    const auto literal = [](const QString &text) { return QRegularExpression::escape(text); };
    const QString missing = QStringLiteral("/nonexistent-folder/game.rom");
    QTest::newRow("missing image")
        << QStringList{"-q", "-f", missing} << 1
        << literal(QStringLiteral("'%1': %2").arg(missing, systemReason(ENOENT)));
    QTest::newRow("missing image in RAM")
        << QStringList{"-q", "gone.rom"} << 1
        << literal(QStringLiteral("'gone.rom': %1").arg(systemReason(ENOENT)));
    QTest::newRow("folder as image")
        << QStringList{"-q", "-f", "WORK"} << 1 << literal(systemReason(EISDIR));
    QTest::newRow("empty file argument")
        << QStringList{"-q", "-f", ""} << 2 << QStringLiteral("no image file given");

    const QString badSkip = QStringLiteral("is not a non-negative decimal number");
    for (const char *skip : {"", "abc", "-5", "0x10"})
        QTest::addRow("skip '%s'", skip) << QStringList{"-q", "-h", skip, "IMG"} << 2 << badSkip;
    QTest::newRow("skip larger than the file")
        << QStringList{"-q", "-f", "-h", "1001", "IMG"} << 1
        << QStringLiteral("header skip 1001 is larger than the image");
    QTest::newRow("skip the whole file")
        << QStringList{"-q", "-f", "-h", "1000", "IMG"} << 1 << QStringLiteral("has no data");

    const QString badAddress = QStringLiteral("malformed address");
    for (const char *address : {"", "0x80200g", "-1", "0x100000000"})
        QTest::addRow("address '%s'", address)
            << QStringList{"-q", "-o", "IMG", address} << 2 << badAddress;

    QTest::newRow("empty bank 1") << QStringList{"-q", "-d", "OUT"} << 1
                                  << QStringLiteral("bank 1 is empty");
    QTest::newRow("empty bank 2") << QStringList{"-q", "-d2", "OUT"} << 1
                                  << QStringLiteral("bank 2 is empty");
    QTest::newRow("empty dump path")
        << QStringList{"-q", "-d", ""} << 2 << QStringLiteral("no dump file given");

    QTest::newRow("too large for bank 1")
        << QStringList{"-q", "-f", "BIG"} << 1
        << QStringLiteral("too large: 4194305 bytes of image data.* at most 4194304 ");
    QTest::newRow("too large for RAM")
        << QStringList{"-q", "-h", "2097151", "BIG"} << 1
        << QStringLiteral("too large: 2097154 bytes of image data.* at most 2097152 ");
    QTest::newRow("too large for 6MB mode")
        << QStringList{"-q", "-6", "-f", "HUGE"} << 1
        << QStringLiteral("too large: 6291457 bytes of image data.* at most 6291456 ");
}

void TestJcp::errors()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    writeImage(QStringLiteral("game.rom"), 1000);
    writeImage(QStringLiteral("big.rom"), 4 * MiB + 1);
    if (args.contains(QLatin1String("HUGE")))
        writeImage(QStringLiteral("huge.rom"), 6 * MiB + 1);

    const Run result = run(resolve(args));
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.startsWith("jcp: "), result.err.constData());
    QVERIFY2(QRegularExpression(message).match(QString::fromUtf8(result.err)).hasMatch(),
             result.err.constData());
    QVERIFY(result.out.startsWith(firstLine));
    QVERIFY(!result.out.contains("complete"));
    QVERIFY(!QFile::exists(board(QStringLiteral("bank1.bin"))));
    QVERIFY(!QFile::exists(board(QStringLiteral("bank2.bin"))));
    QVERIFY(!QFile::exists(work(QStringLiteral("dump.rom"))));
}

void TestJcp::progressAndByteCount_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("lastLine");

    QTest::newRow("flash bank 1") << QStringList{
        "-q", "-f", "IMG"} << QStringLiteral("Transfer complete: 50000 bytes sent to flash bank 1");
    QTest::newRow("flash 6MB") << QStringList{"-q", "-6", "-f", "IMG"}
                               << QStringLiteral(
                                      "Transfer complete: 50000 bytes sent to flash banks 1 and 2");
    QTest::newRow("dump bank 2") << QStringList{"-q", "-d2", "OUT"}
                                 << QStringLiteral("Dump complete: 30000 bytes written to 'OUT'");
    QTest::newRow("update") << QStringList{"-q", "-u"}
                            << QStringLiteral("Firmware update complete");
}

void TestJcp::progressAndByteCount()
{
    QFETCH(QStringList, args);
    QFETCH(QString, lastLine);
    lastLine.replace(QLatin1String("OUT"), work(QStringLiteral("dump.rom")));

    writeImage(QStringLiteral("game.rom"), 50000);
    writeImage(QStringLiteral("bank2.rom"), 30000);
    QCOMPARE(run({"-q", "-2", "-f", work(QStringLiteral("bank2.rom"))}).exitCode, 0);

    // Read the output as it comes, the way Vantrel's relay does.
    QProcess process;
    process.setProcessEnvironment(environment);
    QList<QByteArray> chunks;
    connect(&process, &QProcess::readyReadStandardOutput, this,
            [&] { chunks << process.readAllStandardOutput(); });
    process.start(jcp(), resolve(args));
    QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 20000);
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardError().isEmpty());

    const QByteArray out = chunks.join();
    QVERIFY2(chunks.size() > 2, "the progress arrives in several pieces");
    QVERIFY(out.startsWith(firstLine));
    for (const char *step : {"|\b", "/\b", "-\b", "\\\b"})
        QVERIFY2(out.contains(step), out.constData());
    QVERIFY(out.endsWith('\n'));
    const QByteArray last = out.chopped(1).mid(out.chopped(1).lastIndexOf('\n') + 1);
    // The byte count line follows the spinner's last step on the same line,
    // perhaps with a remark in parentheses.
    const QRegularExpression expected(QStringLiteral("^[|/\\\\-]*")
                                      + QRegularExpression::escape(lastLine)
                                      + QStringLiteral("( \\(.*\\))?$"));
    const QString withoutSpinner = QString::fromUtf8(QByteArray(last).replace('\b', ""));
    QVERIFY2(expected.match(withoutSpinner).hasMatch(), last.constData());
}

void TestJcp::stateDirectoryDefaults_data()
{
    QTest::addColumn<bool>("xdgState");
    QTest::addColumn<QString>("expectedFolder");

    QTest::newRow("XDG state home") << true << QStringLiteral("xdg/vantrel-jcp-sim");
    QTest::newRow("home") << false << QStringLiteral("home/.local/state/vantrel-jcp-sim");
}

void TestJcp::stateDirectoryDefaults()
{
    QFETCH(bool, xdgState);
    QFETCH(QString, expectedFolder);

    environment.remove(QStringLiteral("JCP_SIM_STATE_DIR"));
    environment.insert(QStringLiteral("HOME"), dir->filePath(QStringLiteral("home")));
    if (xdgState)
        environment.insert(QStringLiteral("XDG_STATE_HOME"), dir->filePath(QStringLiteral("xdg")));
    else
        environment.remove(QStringLiteral("XDG_STATE_HOME"));

    const QByteArray image = writeImage(QStringLiteral("game.rom"), 1234);
    QCOMPARE(run(resolve({"-q", "-2", "-f", "IMG"})).exitCode, 0);
    QFile bank(dir->filePath(expectedFolder + QLatin1String("/bank2.bin")));
    QVERIFY2(bank.open(QIODevice::ReadOnly), qPrintable(bank.fileName()));
    QCOMPARE(bank.readAll(), image);
}

void TestJcp::overrideMode_data()
{
    QTest::addColumn<QStringList>("settings"); // name=value pairs
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("exitCode");

    const QByteArray odd = QByteArray("line 1\nline 2\r\n|\b/\b\tgr\xc3\xbc\xc3\x9f"
                                      "e  ");
    QTest::newRow("all three") << QStringList{"JCP_SIM_STDOUT=" + QString::fromUtf8(odd),
                                              "JCP_SIM_STDERR=oops\n", "JCP_SIM_EXIT=3"}
                               << QStringList{"-q", "-f", "IMG"} << odd << QByteArray("oops\n")
                               << 3;
    QTest::newRow("exit only, unknown arguments not checked")
        << QStringList{"JCP_SIM_EXIT=7"} << QStringList{"whatever", ""} << QByteArray()
        << QByteArray() << 7;
    QTest::newRow("with a sleep") << QStringList{"JCP_SIM_SLEEP_MS=300", "JCP_SIM_EXIT=1",
                                                 "JCP_SIM_STDOUT=late"}
                                  << QStringList{"-q", "-2", "-f", "IMG"} << QByteArray("late")
                                  << QByteArray() << 1;
}

void TestJcp::overrideMode()
{
    QFETCH(QStringList, settings);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, exitCode);

    writeImage(QStringLiteral("game.rom"), 1000);
    int sleepMs = 0;
    for (const QString &setting : settings) {
        const qsizetype equals = setting.indexOf(QLatin1Char('='));
        environment.insert(setting.left(equals), setting.mid(equals + 1));
        if (setting.startsWith(QLatin1String("JCP_SIM_SLEEP_MS=")))
            sleepMs = setting.mid(equals + 1).toInt();
    }

    QElapsedTimer timer;
    timer.start();
    const Run result = run(resolve(args));
    QVERIFY(timer.elapsed() >= sleepMs);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, out);
    QCOMPARE(result.err, err);
    QCOMPARE(TestSupport::recordedRuns(), QList<QStringList>{resolve(args)});
    // Nothing was simulated: the board is untouched.
    QVERIFY(!QDir(dir->filePath(QStringLiteral("board"))).exists()
            || QDir(dir->filePath(QStringLiteral("board"))).isEmpty());
}

VANTREL_TEST_MAIN(TestJcp)
#include "tst_jcp.moc"
