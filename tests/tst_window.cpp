// The window driven as a user does, with the simulated board beside the test.
#include "tests/testsupport.h"

#include <sys/stat.h>

using namespace TestSupport;

class WindowTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { isolate(); }

private:
    std::unique_ptr<MainWindow> window;

    // Puts the image's path into the file field and presses "Go".
    void go(const QString &path)
    {
        find<QLineEdit>("filenameEdit")->setText(path);
        QTest::mouseClick(find<QPushButton>("doTransfer"), Qt::LeftButton);
    }

private slots:
    void init()
    {
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
        qunsetenv("JCP_SIM_STDOUT");
        qunsetenv("JCP_SIM_STDERR");
    }

    void rev1AndSettings()
    {
        auto *rev1 = find<QAction>("actionRev_1_Skunkboard");
        auto *isFlash = find<QGroupBox>("isFlash");
        auto *bank2 = find<QRadioButton>("bank2Radio");
        auto *dump2 = find<QAction>("actionDump_Bank2");
        QVERIFY(!rev1->isChecked() && !find<QAction>("actionUse_Word_Flash_Mode")->isChecked());
        isFlash->setChecked(true);
        bank2->setChecked(true);
        isFlash->setChecked(false);
        rev1->trigger();
        isFlash->setChecked(true);
        QVERIFY(find<QRadioButton>("bank1Radio")->isChecked() && !dump2->isEnabled());
        QVERIFY(!bank2->isEnabled() && !find<QRadioButton>("bank6Radio")->isEnabled());
        isFlash->setChecked(false);
        rev1->trigger();
        // The banks come back with the box, which keeps its state.
        QVERIFY(dump2->isEnabled() && !isFlash->isChecked() && !bank2->isEnabled());
        isFlash->setChecked(true);
        QVERIFY(bank2->isEnabled() && find<QRadioButton>("bank6Radio")->isEnabled());

        rev1->trigger();
        find<QAction>("actionUse_Word_Flash_Mode")->trigger();
        window.reset();
        QCOMPARE(QSettings().value("defdir"), QVariant(QString()));
        // Written on close and read on start: a Rev 1 board has no bank 2 from the first.
        window = showWindow();
        QVERIFY(find<QAction>("actionUse_Word_Flash_Mode")->isChecked());
        find<QGroupBox>("isFlash")->setChecked(true);
        QVERIFY(!find<QRadioButton>("bank2Radio")->isEnabled());
        QVERIFY(!find<QAction>("actionDump_Bank2")->isEnabled());
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
        const QString path = name.isEmpty()
            ? QString()
            : writeFile(name, QByteArray(8200, '\0').replace(1028, 3, "\x00\x80\x20", 3));
        find<QLineEdit>("overrideAddress")->setText(QStringLiteral("0x1"));
        find<QLineEdit>("filenameEdit")->setText(QStringLiteral("earlier.bin"));

        QString warned;
        onNextModal([&](QWidget *dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Select file to load to Skunkboard"));
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
        QCOMPARE(QSettings().value("defdir").toString(), warning.isEmpty() ? path : QString());
    }

    void tabRing()
    {
        const QStringList head{"fileSelect", "filenameEdit", "doTransfer", "qt_tabwidget_tabbar"};
        const QStringList pages[]
            = {{"overrideCheck", "skipheaderCheck", "skipbootCheck", "isFlash", "resetSkunk"},
               {"outputBrowser"}};
        for (const int page : {0, 1}) {
            find<QTabWidget>("tabWidget")->setCurrentIndex(page);
            find<QPushButton>("fileSelect")->setFocus();
            // Round the ring with Tab, then back with Shift+Tab.
            const QStringList ring = head + pages[page];
            QStringList walked;
            for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
                for (qsizetype i = 0; i < ring.size(); ++i) {
                    QTest::keyClick(QApplication::focusWidget(), key);
                    walked << QApplication::focusWidget()->objectName();
                }
            }
            QCOMPARE(walked,
                     (ring.mid(1) << ring.first()) + QStringList(ring.crbegin(), ring.crend()));
        }
    }

    void flashThenDump()
    {
        QByteArray data(8192, '\xff');
        for (int i = 0; i < 300000; ++i)
            data += char(i * 7 + i / 256);
        const QString path = writeFile(QStringLiteral("my game ü.rom"), data);
        // Each field opens with its box, as the box is pressed.
        QTest::mouseClick(find<QCheckBox>("skipheaderCheck"), Qt::LeftButton, {}, QPoint(8, 8));
        QTest::keyClicks(find<QLineEdit>("skipBytesval"), QStringLiteral("8192"));
        QTest::mouseClick(find<QCheckBox>("overrideCheck"), Qt::LeftButton, {}, QPoint(8, 8));
        QTest::keyClicks(find<QLineEdit>("overrideAddress"), QStringLiteral("0x5000"));
        find<QGroupBox>("isFlash")->setChecked(true);
        go(path);
        const QString back = workPath(QStringLiteral("back.rom"));
        onNextModal([&](QWidget *dialog) { answerFileDialog(dialog, back); });
        press(window.get(), Qt::Key_1);
        QCOMPARE(runs(),
                 (QList<QStringList>{{"-q", "-o", "-f", "-h", "8192", path, "0x5000"},
                                     {"-q", "-d", back}}));
        QFile dumped(back);
        QVERIFY(dumped.open(QIODevice::ReadOnly) && dumped.readAll() == data.mid(8192));
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
            transfer ? go(writeFile(QStringLiteral("ram.bin"), "data"))
                     : press(window.get(), Qt::Key_U);
            QTRY_VERIFY(!QApplication::activeModalWidget());
        }
        // The update shows the title the transfer left.
        QCOMPARE(titles, QStringList(2, QStringLiteral("Sending file to Skunkboard")));
    }

    void dumps_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("dumped");
        // clang-format off
        QTest::newRow("new file, cyrillic") << "бэкап 2.rom" << 0 << true;
        QTest::newRow("file dialog cancelled") << "" << 0 << false;
        QTest::newRow("existing, return is yes") << "old.rom" << int(Qt::Key_Return) << true;
        QTest::newRow("existing, escape is no") << "old.rom" << int(Qt::Key_Escape) << false;
        // clang-format on
    }

    void dumps()
    {
        QFETCH(QString, name);
        QFETCH(int, answer);
        QFETCH(bool, dumped);
        const QString path = name.isEmpty() ? QString() : workPath(name);
        if (answer)
            writeFile(name, "old");
        onNextModal([&](QWidget *dialog) {
            // The file dialog's own question about replacing comes first.
            if (answer) {
                onNextModal([&](QWidget *replace) {
                    qobject_cast<QMessageBox *>(replace)->button(QMessageBox::Yes)->click();
                    onNextModal([&](QWidget *ask) { QTest::keyClick(ask, Qt::Key(answer)); });
                });
            }
            answerFileDialog(dialog, path);
        });
        press(window.get(), Qt::Key_2);

        QCOMPARE(runs(), (dumped ? QList<QStringList>{{"-q", "-d2", path}} : QList<QStringList>()));
        window.reset();
        QCOMPARE(QSettings().value("defdir").toString(), dumped ? path : QString());
    }

    void relay()
    {
        // Output comes as the tool printed it, stderr too; meanwhile other
        // commands are refused.
        qputenv("JCP_SIM_STDOUT",
                "|\b/\b<b>bold</b>  and\n\t&amp; " + QByteArray("serial ").repeated(400));
        qputenv("JCP_SIM_STDERR", "caf\xe9 failed\n");
        auto *pane = find<QTextBrowser>("outputBrowser");
        hold();
        press(window.get(), Qt::Key_S);
        QTRY_COMPARE(runs().size(), 1);
        const QString refusal = QStringLiteral(
            "The flash tool is still busy with an earlier command; nothing was started.");
        press(window.get(), Qt::Key_R);
        press(window.get(), Qt::Key_1);
        QVERIFY(pane->toPlainText().endsWith(refusal + '\n' + refusal));
        QCOMPARE(window->statusBar()->currentMessage(), refusal);
        release();
        QTRY_VERIFY(pane->toPlainText().contains(QStringLiteral("café failed")));
        QVERIFY(pane->toPlainText().contains(QStringLiteral("/<b>bold</b> and &amp; serial")));
        QVERIFY(!pane->toHtml().contains(QStringLiteral("font-weight:700")));

        // Output that arrived behind the "Options" page is in view when it is
        // shown; a view scrolled up to read stays where it was left.
        QScrollBar *bar = pane->verticalScrollBar();
        find<QTabWidget>("tabWidget")->setCurrentIndex(1);
        QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
        bar->setValue(10);
        QTRY_COMPARE(window->findChild<QProcess *>()->state(), QProcess::NotRunning);
        press(window.get(), Qt::Key_S);
        QTRY_COMPARE(pane->toPlainText().count(QStringLiteral("café failed")), 2);
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), 10);
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
        onNextModal([](QWidget *busy) { QTest::keyClick(busy, Qt::Key_Escape); });
        find<QGroupBox>("isFlash")->setChecked(true);
        go(writeFile(QStringLiteral("big.rom"), QByteArray(100000, 'x')));
        onNextModal([&](QWidget *modal) {
            auto *question = qobject_cast<QMessageBox *>(modal);
            QVERIFY(question && question->parent() == window.get());
            QCOMPARE(question->windowTitle() + '|' + question->defaultButton()->text() + '|'
                         + question->escapeButton()->text(),
                     QStringLiteral("Vantrel|Wait|Cancel"));
            for (QAbstractButton *button : question->buttons()) {
                if (button->text() == answer)
                    button->click();
            }
            if (answer == QLatin1String("Wait"))
                QVERIFY(qobject_cast<QProgressDialog *>(QApplication::activeModalWidget()));
            QCOMPARE(window->isVisible(), answer != QLatin1String("Stop and Quit"));
            release();
        });
        press(window.get(), Qt::Key_Q);
        QTRY_COMPARE(window->isVisible(), answer == QLatin1String("Cancel"));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QTRY_COMPARE(QFile::exists(workPath(QStringLiteral("board/bank1.bin"))), toolFinishes);
        // A closed window leaves no tool behind.
        if (answer != QLatin1String("Cancel"))
            QCOMPARE(window->findChild<QProcess *>()->state(), QProcess::NotRunning);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
