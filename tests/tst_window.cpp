// The window driven as a user does, with the simulated board beside the test.
#include "tests/testsupport.h"

#include <QtWidgets>

#include <sys/stat.h>
#include <utility>

using namespace TestSupport;

class WindowTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private:
    // Types the image's path into the file field and presses "Go".
    void go(const QString &path)
    {
        find<QLineEdit>("filenameEdit")->clear();
        typeText(find<QLineEdit>("filenameEdit"), path);
        QTest::mouseClick(find<QPushButton>("doTransfer"), Qt::LeftButton);
    }

    // The pane's last line with text: an empty read of stderr adds an empty one.
    QString lastLine() const
    {
        return find<QTextBrowser>("outputBrowser")->toPlainText().trimmed().split(u'\n').last();
    }

    // Starts a serial read once the tool has ended its last run: its last
    // output can reach the pane before the run has ended.
    void startSerialRead()
    {
        const qsizetype before = runs().size();
        auto *serial = find<QAction>("actionGet_Skunk_Serial");
        QTRY_VERIFY(runs().size() > before || (serial->trigger(), false));
    }

    std::unique_ptr<MainWindow> window;

private slots:
    void init()
    {
        storeSettings({});
        QDir(workPath(QStringLiteral("board"))).removeRecursively();
        clearRuns();
        window = showWindow();
    }
    void cleanup()
    {
        release();
        window.reset();
        qunsetenv("JCP_SIM_STDOUT");
        qunsetenv("JCP_SIM_STDERR");
    }

    void rev1AndSettings()
    {
        auto *rev1 = find<QAction>("actionRev_1_Skunkboard");
        auto *isFlash = find<QGroupBox>("isFlash");
        auto *bank2 = find<QRadioButton>("bank2Radio");
        QVERIFY(!rev1->isChecked() && !find<QAction>("actionUse_Word_Flash_Mode")->isChecked());
        for (const bool flash : {true, false}) {
            isFlash->setChecked(true);
            bank2->setChecked(true);
            isFlash->setChecked(flash);
            rev1->trigger();
            QVERIFY(find<QRadioButton>("bank1Radio")->isChecked());
            QVERIFY(!bank2->isEnabled() && !find<QRadioButton>("bank6Radio")->isEnabled());
            QVERIFY(!find<QAction>("actionDump_Bank2")->isEnabled());
            rev1->trigger();
            QVERIFY(find<QAction>("actionDump_Bank2")->isEnabled());
            QCOMPARE(isFlash->isChecked(), flash);
            QCOMPARE(bank2->isEnabled(), flash);
            // The banks come back with the box, even when it was unchecked.
            isFlash->setChecked(true);
            QVERIFY(bank2->isEnabled() && find<QRadioButton>("bank6Radio")->isEnabled());
        }

        rev1->trigger();
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
    }
    void fieldInterlock()
    {
        // The field follows the box by mouse and by key, both ways.
        for (const auto &[box, field] : {std::pair("skipheaderCheck", "skipBytesval"),
                                         std::pair("overrideCheck", "overrideAddress")}) {
            auto *check = find<QCheckBox>(box);
            for (const bool byKey : {false, false, true, true}) {
                const bool checked = !check->isChecked();
                if (byKey)
                    QTest::keyClick(check, Qt::Key_Space);
                else
                    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
                QCOMPARE(check->isChecked(), checked);
                QCOMPARE(find<QLineEdit>(field)->isEnabled(), checked);
            }
        }
    }

    void selectFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("becomes");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("warning");
        // clang-format off
        QTest::newRow("8k header") << "game 8k.bin" << "" << "0x802000" << "";
        QTest::newRow("cancelled") << "" << "" << "0x1" << "";
        QTest::newRow("vanished") << "gone.bin" << "nothing" << "0x1" << "No such file or directory";
        QTest::newRow("folder") << "dir.bin" << "folder" << "0x1" << "Is a directory";
        QTest::newRow("fifo, read without waiting") << "pipe.bin" << "fifo" << "0x4000" << "";
        // clang-format on
    }

    void selectFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, becomes);
        QFETCH(QString, warning);
        QByteArray image(8200, '\0');
        const QString path = name.isEmpty()
            ? QString()
            : writeFile(name, image.replace(1028, 3, "\x00\x80\x20", 3));
        find<QLineEdit>("overrideAddress")->setText(QStringLiteral("0x1"));
        find<QLineEdit>("filenameEdit")->setText(QStringLiteral("earlier.bin"));

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

    void tabRing_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("ring");
        const QStringList head{"fileSelect", "filenameEdit", "doTransfer", "qt_tabwidget_tabbar"};
        // clang-format off
        QTest::newRow("options") << 0 << head + QStringList{"overrideCheck", "skipheaderCheck", "skipbootCheck", "isFlash", "resetSkunk"};
        QTest::newRow("output") << 1 << head + QStringList{"outputBrowser"};
        // clang-format on
    }

    void tabRing()
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

    void flashThenDump()
    {
        QByteArray data(8192, '\xff');
        for (int i = 0; i < 300000; ++i)
            data += char(i * 7 + i / 256);
        const QString path = writeFile(QStringLiteral("my game ü.rom"), data);
        QTest::mouseClick(find<QCheckBox>("skipheaderCheck"), Qt::LeftButton, {}, QPoint(8, 8));
        find<QLineEdit>("skipBytesval")->clear();
        typeText(find<QLineEdit>("skipBytesval"), QStringLiteral("8192"));
        find<QGroupBox>("isFlash")->setChecked(true);
        go(path);
        const QString back = workPath(QStringLiteral("back.rom"));
        onNextModal([&](QWidget *dialog) { answerFileDialog(dialog, back); });
        press(window.get(), Qt::Key_1);
        QCOMPARE(runs(),
                 (QList<QStringList>{{"-q", "-f", "-h", "8192", path}, {"-q", "-d", back}}));
        QFile dumped(back);
        QVERIFY(dumped.open(QIODevice::ReadOnly));
        QVERIFY(dumped.readAll() == data.mid(8192));
    }

    void busyDialog()
    {
        QStringList titles;
        for (const bool transfer : {true, false}) {
            hold();
            onNextModal([&](QWidget *modal) {
                const auto releaseAtEnd = qScopeGuard(release);
                auto *dialog = qobject_cast<QProgressDialog *>(modal);
                QVERIFY(dialog && dialog->maximum() == 0);
                titles << dialog->windowTitle();
                QTRY_COMPARE(runs().size(), titles.size());
                // The window takes no command meanwhile, not even one to refuse.
                QTest::keyClick(window->windowHandle(), Qt::Key_S, Qt::ControlModifier);
                QCOMPARE(window->statusBar()->currentMessage(), QString());
            });
            if (transfer)
                go(writeFile(QStringLiteral("ram.bin"), "data"));
            else
                press(window.get(), Qt::Key_U);
            QTRY_VERIFY(!QApplication::activeModalWidget());
        }
        // The update shows the title the transfer left.
        QCOMPARE(titles, QStringList(2, QStringLiteral("Sending file to Skunkboard")));
    }

    void dumps_data()
    {
        QTest::addColumn<int>("bank");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("dumped");
        // clang-format off
        QTest::newRow("new file, bank 2, cyrillic") << 2 << "бэкап 2.rom" << "" << true;
        QTest::newRow("file dialog cancelled") << 2 << "" << "" << false;
        QTest::newRow("existing, return is yes") << 2 << "old.rom" << "Return" << true;
        QTest::newRow("existing, escape is no") << 1 << "old.rom" << "Escape" << false;
        // clang-format on
    }

    void dumps()
    {
        QFETCH(int, bank);
        QFETCH(QString, name);
        QFETCH(QString, answer);
        QFETCH(bool, dumped);
        const QString defaultDir = workPath(QStringLiteral("last.rom"));
        window.reset();
        storeSettings({{"defdir", defaultDir}});
        window = showWindow();
        const QString path = answer.isEmpty() ? workPath(name) : writeFile(name, "old");

        QString start, question;
        onNextModal([&](QWidget *dialog) {
            start = qobject_cast<QFileDialog *>(dialog)->directory().filePath(
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text());
            if (name.isEmpty())
                return QTest::keyClick(dialog, Qt::Key_Escape);
            if (!answer.isEmpty()) {
                // The file dialog's own question about replacing comes first.
                onNextModal([&](QWidget *replace) {
                    qobject_cast<QMessageBox *>(replace)->button(QMessageBox::Yes)->click();
                    onNextModal([&](QWidget *box) {
                        auto *ask = qobject_cast<QMessageBox *>(box);
                        question = ask->windowTitle() + '|' + ask->text();
                        QTest::keyClick(ask, answer == "Return" ? Qt::Key_Return : Qt::Key_Escape);
                    });
                });
            }
            answerFileDialog(dialog, path);
        });
        press(window.get(), bank == 1 ? Qt::Key_1 : Qt::Key_2);

        QCOMPARE(start, defaultDir);
        if (!answer.isEmpty())
            QCOMPARE(question,
                     QStringLiteral("Recent Files|File %1 already exists.\n"
                                    "Do you want to overwrite it?")
                         .arg(path));
        const QList<QStringList> expected{{"-q", bank == 1 ? "-d" : "-d2", path}};
        QCOMPARE(runs(), dumped ? expected : QList<QStringList>());
        window.reset();
        QCOMPARE(setting("defdir").toString(), dumped ? path : defaultDir);
    }

    void relay()
    {
        qputenv("JCP_SIM_STDOUT", "|\b/\b<b>bold</b>  and\n\t&amp;");
        qputenv("JCP_SIM_STDERR", "caf\xe9 failed\n");
        press(window.get(), Qt::Key_S);
        auto *pane = find<QTextBrowser>("outputBrowser");
        QTRY_VERIFY(pane->toPlainText().contains(QStringLiteral("café failed")));
        QVERIFY(pane->toPlainText().contains(QStringLiteral("/<b>bold</b> and &amp;")));
        QVERIFY(!pane->toHtml().contains(QStringLiteral("font-weight:700")));
    }

    void refusedWhileBusy()
    {
        hold();
        press(window.get(), Qt::Key_S);
        QTRY_VERIFY(runs().size() == 1 && !lastLine().isEmpty());
        const QString refusal = QStringLiteral(
            "The flash tool is still busy with an earlier command; nothing was started.");
        for (const Qt::Key key : {Qt::Key_R, Qt::Key_1}) {
            window->statusBar()->clearMessage();
            press(window.get(), key);
            QVERIFY(!QApplication::activeModalWidget());
            QCOMPARE(lastLine(), refusal);
            QCOMPARE(window->statusBar()->currentMessage(), refusal);
        }
        QCOMPARE(runs().size(), 1);
    }

    void closing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("toolFinishes");
        // clang-format off
        QTest::newRow("no run") << "" << true << false;
        QTest::newRow("wait") << "Wait" << true << true;
        QTest::newRow("stop and quit") << "Stop and Quit" << true << false;
        QTest::newRow("cancel") << "Cancel" << false << true;
        QTest::newRow("tool ends while asked") << "none" << true << true;
        // clang-format on
    }

    void closing()
    {
        QFETCH(QString, answer);
        QFETCH(bool, closes);
        QFETCH(bool, toolFinishes);
        if (!answer.isEmpty()) {
            // A board that hangs: Escape leaves its busy dialog, the tool runs on.
            hold();
            onNextModal([](QWidget *busy) { QTest::keyClick(busy, Qt::Key_Escape); });
            find<QGroupBox>("isFlash")->setChecked(true);
            go(writeFile(QStringLiteral("big.rom"), QByteArray(100000, 'x')));
            onNextModal([&](QWidget *modal) {
                auto *question = qobject_cast<QMessageBox *>(modal);
                QVERIFY(question && question->parent() == window.get());
                QCOMPARE(question->windowTitle(), QStringLiteral("Vantrel"));
                QCOMPARE(question->defaultButton()->text(), QStringLiteral("Wait"));
                QCOMPARE(question->escapeButton()->text(), QStringLiteral("Cancel"));
                for (QAbstractButton *button : question->buttons()) {
                    if (button->text() == answer)
                        button->click();
                }
                if (answer == QLatin1String("Wait"))
                    QVERIFY(qobject_cast<QProgressDialog *>(QApplication::activeModalWidget()));
                QCOMPARE(window->isVisible(), answer != QLatin1String("Stop and Quit"));
                release();
            });
        }
        press(window.get(), Qt::Key_Q);
        QTRY_COMPARE(window->isVisible(), !closes);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QTRY_COMPARE(QFile::exists(workPath(QStringLiteral("board/bank1.bin"))), toolFinishes);
        // Once closed, or the run done, no tool is left: the next command starts.
        const qsizetype before = runs().size();
        if (closes)
            find<QAction>("actionGet_Skunk_Serial")->trigger();
        else
            startSerialRead();
        QTRY_COMPARE(runs().size(), before + 1);
    }

    void paneFollowsEnd()
    {
        auto *tabs = find<QTabWidget>("tabWidget");
        QScrollBar *bar = find<QTextBrowser>("outputBrowser")->verticalScrollBar();
        auto serialRead = [&](int run) {
            qputenv("JCP_SIM_STDOUT",
                    QByteArray("serial ").repeated(400) + QByteArray::number(run));
            startSerialRead();
            QTRY_VERIFY(lastLine().endsWith(QStringLiteral(" serial %1").arg(run)));
        };
        serialRead(0);
        tabs->setCurrentIndex(1);
        QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
        // Output that arrives behind the "Options" page is in view when it is shown.
        tabs->setCurrentIndex(0);
        for (int run = 1; run <= 4; ++run)
            serialRead(run);
        tabs->setCurrentIndex(1);
        QTRY_COMPARE(bar->value(), bar->maximum());

        // A view scrolled up to read stays where it was left.
        bar->setValue(10);
        serialRead(5);
        tabs->setCurrentIndex(0);
        serialRead(6);
        tabs->setCurrentIndex(1);
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), 10);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
