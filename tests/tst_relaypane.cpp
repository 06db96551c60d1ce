// The output pane against QTextEdit::append: the tool beside this test hands
// over its output one chunk at a time, so each chunk reaches the window as a
// notification of its own, and after each one the pane must hold exactly the
// paragraphs that appending the cleaned standard output and then the cleaned
// standard error with QTextEdit::append gives.

#include "app/mainwindow.h"
#include "board/outputcleaner.h"
#include "tests/testsupport.h"

#include <QByteArrayList>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <memory>

using TestSupport::child;

class TestRelayPane : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sameParagraphsAsAppend_data();
    void sameParagraphsAsAppend();
    void viewFollowsTheEndUnlessScrolledAway();

private:
    // Shows a window, starts a board reset with the step-by-step tool and
    // brings the "Output" tab to the front.
    QTextBrowser *startTool();
    // Hands the tool one chunk for standard output ('o' first) or standard
    // error ('e' first) and appends what it should add to `reference`.
    void sendChunk(const QByteArray &step);
    static QStringList paragraphs(const QTextDocument *document);

    std::unique_ptr<QTemporaryDir> steps;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTextEdit> reference;
    int stepCount = 0;
};

void TestRelayPane::init()
{
    TestSupport::clearSettings();
    steps = std::make_unique<QTemporaryDir>();
    QVERIFY(steps->isValid());
    qputenv("JCP_STEPS_DIR", QFile::encodeName(steps->path()));
    reference = std::make_unique<QTextEdit>();
    reference->setReadOnly(true);
    stepCount = 0;
}

void TestRelayPane::cleanup()
{
    if (window) {
        QFile end(steps->filePath(QStringLiteral("end")));
        QVERIFY(end.open(QIODevice::WriteOnly));
        end.close();
        QTRY_VERIFY(QFile::exists(steps->filePath(QStringLiteral("done"))));
        window.reset();
    }
    reference.reset();
    steps.reset();
    QCOMPARE(TestSupport::visibleTopLevels().size(), 0);
}

QTextBrowser *TestRelayPane::startTool()
{
    window = std::make_unique<MainWindow>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    QTest::mouseClick(child<QPushButton>(window.get(), "resetSkunk"), Qt::LeftButton);
    QTabBar *tabs = child<QTabWidget>(window.get(), "tabWidget")->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    return child<QTextBrowser>(window.get(), "outputBrowser");
}

void TestRelayPane::sendChunk(const QByteArray &step)
{
    const bool toError = step.startsWith('e');
    const QByteArray chunk = step.mid(1);
    ++stepCount;
    // Written aside and renamed, so the tool never sees half a chunk.
    const QString part = steps->filePath(QStringLiteral("part"));
    QFile file(part);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(chunk), chunk.size());
    file.close();
    QVERIFY(QFile::rename(part,
                          steps->filePath(QStringLiteral("%1.%2").arg(stepCount).arg(
                              toError ? QStringLiteral("err") : QStringLiteral("out")))));
    reference->append(cleanToolOutput(toError ? QByteArray() : chunk));
    reference->append(cleanToolOutput(toError ? chunk : QByteArray()));
}

QStringList TestRelayPane::paragraphs(const QTextDocument *document)
{
    QStringList texts;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        texts << block.text();
    return texts;
}

void TestRelayPane::sameParagraphsAsAppend_data()
{
    QTest::addColumn<QByteArrayList>("chunks");

    // Each sequence starts with visible text: in a still empty pane a chunk
    // that cleans to nothing changes nothing, so no wait could tell that it
    // has been handled.
    QTest::newRow("a short session")
        << QByteArrayList{"oSkunkboard found\n", "oErasing |\b/\b-\b\\\b done\n",
                          "ewarning: slow USB port\n", "oSending 12%\r\nSending 50%\r\n"};
    QTest::newRow("chunks that clean to nothing")
        << QByteArrayList{"oResetting", "o |\b\t|\b \n", "e|", "o\b\b\b", "odone"};
    QTest::newRow("spacing as the cleaning leaves it")
        << QByteArrayList{"oa | b", "ex|\by", "o/-\\ stays", "e  two\n\nlines  ", "o\t"};
    QByteArray burst;
    for (int line = 0; line < 48; ++line) {
        QByteArray text = "Sending block " + QByteArray::number(line) + " ";
        for (int step = 0; step < 20; ++step)
            text += QByteArray(1, "|/-\\"[step % 4]) + '\b';
        burst += text.leftJustified(79, ' ') + '\n';
    }
    // Under 4096 bytes, so the tool's single write arrives whole.
    QTest::newRow("spinner bursts")
        << QByteArrayList{"o" + burst, "e" + burst.left(500), "o" + burst, "o" + burst};
}

void TestRelayPane::sameParagraphsAsAppend()
{
    QFETCH(QByteArrayList, chunks);
    QTextBrowser *pane = startTool();
    QVERIFY(pane);
    for (const QByteArray &chunk : chunks) {
        sendChunk(chunk);
        // Once the pane holds text, every chunk adds two paragraphs.
        QTRY_COMPARE(pane->document()->blockCount(), reference->document()->blockCount());
        QCOMPARE(paragraphs(pane->document()), paragraphs(reference->document()));
    }
}

void TestRelayPane::viewFollowsTheEndUnlessScrolledAway()
{
    QByteArray line = "Flashing";
    while (line.size() < 3000)
        line += " block " + QByteArray::number(line.size());
    QTextBrowser *pane = startTool();
    QVERIFY(pane);
    QScrollBar *scrollBar = pane->verticalScrollBar();

    while (scrollBar->maximum() < 2 * scrollBar->pageStep()) {
        sendChunk("o" + line);
        QTRY_COMPARE(pane->document()->blockCount(), reference->document()->blockCount());
        QCOMPARE(scrollBar->value(), scrollBar->maximum());
    }

    // Someone scrolls up to read earlier output: new output leaves them there.
    scrollBar->triggerAction(QAbstractSlider::SliderToMinimum);
    const int maximumBefore = scrollBar->maximum();
    sendChunk("o" + line);
    QTRY_COMPARE(pane->document()->blockCount(), reference->document()->blockCount());
    QVERIFY(scrollBar->maximum() > maximumBefore);
    QCOMPARE(scrollBar->value(), 0);

    // Back at the end, the view follows the output again.
    scrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
    sendChunk("e" + line);
    QTRY_COMPARE(pane->document()->blockCount(), reference->document()->blockCount());
    QCOMPARE(scrollBar->value(), scrollBar->maximum());
    QCOMPARE(paragraphs(pane->document()), paragraphs(reference->document()));
}

VANTREL_TEST_MAIN(TestRelayPane)
#include "tst_relaypane.moc"
