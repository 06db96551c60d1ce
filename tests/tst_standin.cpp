// The stand-in jcp against the real tool: every run the real tool was seen to
// make with no board attached, word for word with its status and timing, and
// what a reader on a pipe has of a run ended by SIGTERM; with the simulated
// board, the dumps of a flash give back its data.
#include <QtTest>

class StandinTest : public QObject
{
    Q_OBJECT

    QTemporaryDir work;

    // The stand-in in the work folder, its board absent or present, ended by
    // SIGTERM after `termMs` if given; "ms" is how long it ran.
    QProcess *start(const QStringList &args, bool board, int paceMs = 0, int termMs = 0)
    {
        qputenv("JCP_SIM_NO_BOARD", board ? "0" : "1");
        qputenv("JCP_SIM_PACE_MS", QByteArray::number(paceMs));
        auto *run = new QProcess(this);
        QElapsedTimer timer;
        timer.start();
        connect(run, &QProcess::finished, this, [=] { run->setProperty("ms", timer.elapsed()); });
        run->start(QCoreApplication::applicationDirPath() + "/jcp", args);
        if (termMs > 0)
            QTimer::singleShot(termMs, run, &QProcess::terminate);
        return run;
    }

    static QByteArray read(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir::setCurrent(work.path()) && QDir().mkdir("adir"));
        qputenv("JCP_SIM_STATE_DIR", QFile::encodeName(work.filePath("board")));
        // Data that differs from place to place, so that a dump's order tells.
        QByteArray big(5 << 20, 0);
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32 *>(big.data()), big.size() / 4);
        // clang-format off
        for (const auto &[name, data] : {std::pair("small.bin", QByteArray(100000, 0)), {"empty.bin", {}}, {"big.rom", big},
                {"game.rom", big.left(100000)}, {"cart.rom", QByteArray(8192, '\xff').replace(0x400, 8, "\4\4\4\4\0\x80\x20\0", 8) + QByteArray(65536, 0)}}) {
            // clang-format on
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
        }
    }

    // The real tool's runs, then runs ended by SIGTERM after 0.5 s. Only
    // those that take time run side by side, so that the others, one at a
    // time, are timed alone even in a slow build.
    void output_data()
    {
        QTest::addColumn<QProcess *>("run");
        QTest::addColumn<QString>("real");
        for (const QString &block :
             QString(read(QFINDTESTDATA("data/jcp-no-board.txt"))).split("\n$ jcp ").mid(1)) {
            const QString args = block.section('\n', 0, 0);
            // The status line, then the output after the banner's first line.
            QString real = block.section('\n', 1, 1) + '\n';
            for (const QString &line : block.section('\n', 3).split('\n', Qt::SkipEmptyParts))
                real += line.mid(2) + '\n';
            QProcess *run = start(args.mid(1).chopped(1).split("' '"), false);
            QVERIFY(!real.contains(" 0.0 s") || run->waitForFinished());
            QTest::newRow(qPrintable(args)) << run << real;
        }
        const QString killed = "# exit killed, 0.0 s, 0 bytes on stderr\n";
        // clang-format off
        QTest::newRow("quiet, looking for the board: nothing") << start({"-q", "small.bin"}, false, 20000, 500) << killed;
        QTest::newRow("looking for the board: nothing") << start({"small.bin"}, false, 20000, 500) << killed;
        QTest::newRow("quiet, sending: nothing") << start({"-q", "small.bin"}, true, 20000, 500) << killed;
        QTest::newRow("spinner: its first step") << start({"small.bin"}, true, 20000, 500)
            << killed + "\nSkip 0 bytes, base addr is $4000, length is 100000 bytes\n|\b";
        // clang-format on
    }

    void output()
    {
        QFETCH(QProcess *, run);
        QTRY_VERIFY_WITH_TIMEOUT(run->property("ms").isValid(), 10000);
        const QString out = run->readAllStandardOutput();
        QVERIFY(out.isEmpty() || out.startsWith("jcp "));
        const QByteArray exit = run->exitStatus() ? "killed" : QByteArray::number(run->exitCode());
        // About 2.0 s is at least 1.9 s; at once is under 0.95 s.
        const double seconds = std::min(2.0, std::floor(run->property("ms").toDouble() / 950));
        QTEST(QString::asprintf("# exit %s, %.1f s, %d bytes on stderr\n", exit.constData(),
                                seconds, int(run->readAllStandardError().size()))
                  + out.section('\n', 1),
              "real");
    }

    // With the board present: the transfer exits with 0, each dump with 1,
    // and the dumps give back the data flashed.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("runs");
        QTest::addColumn<QByteArray>("data");
        // clang-format off
        QTest::newRow("bank 1") << "-q -f game.rom, -q -d b1" << read("game.rom");
        QTest::newRow("bank 2, letters in one") << "-qf2 game.rom, -q -d2 b2" << read("game.rom");
        QTest::newRow("6MB mode, both banks") << "-q -6 -f big.rom, -q -d b1, -q -d2 b2" << read("big.rom");
        QTest::newRow("6MB mode, bank 1 is enough") << "-q -6 -w -f game.rom, -q -d b1" << read("game.rom");
        QTest::newRow("cartridge header left out") << "-q -f cart.rom, -q -d b1" << read("cart.rom").mid(8192);
        // clang-format on
    }

    void roundTrip()
    {
        QFETCH(QString, runs);
        QVERIFY(QDir("board").removeRecursively());
        QByteArray back;
        for (const QString &args : runs.split(", ")) {
            QProcess *run = start(args.split(' '), true);
            QVERIFY(run->waitForFinished());
            const bool dump = args.contains(" -d");
            QCOMPARE(run->exitCode(), dump ? 1 : 0);
            QCOMPARE(run->readAllStandardOutput().endsWith("* Dump complete.\n\n"), dump);
            back += dump ? read(args.section(' ', -1)) : QByteArray();
        }
        QTEST(back, "data");
    }
};

QTEST_GUILESS_MAIN(StandinTest)
#include "tst_standin.moc"
