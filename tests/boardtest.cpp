#include "tests/boardtest.h"
#include "tests/testsupport.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

namespace BoardTest {

namespace {

// Closes a pop-up left open, as a user does by clicking elsewhere: a
// completion list that opened late would otherwise take the next key.
void dismissPopups()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

void noteFileDialog(FileDialogSeen &seen, QFileDialog *dialog, QLineEdit *nameEdit)
{
    seen.seen = true;
    seen.caption = dialog->windowTitle();
    seen.directory = dialog->directory().absolutePath();
    seen.fileName = nameEdit ? nameEdit->text() : QString();
    seen.nameFilters = dialog->nameFilters();
    seen.fileMode = dialog->fileMode();
    seen.acceptMode = dialog->acceptMode();
    seen.parent = dialog->parentWidget();
}

QLineEdit *fileNameEdit(QFileDialog *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

} // namespace

QStringList outputParagraphs(QWidget *window)
{
    const QTextDocument *document
        = TestSupport::child<QTextBrowser>(window, "outputBrowser")->document();
    QStringList paragraphs;
    // An empty pane still holds one empty block; the user sees no paragraph.
    if (document->isEmpty())
        return paragraphs;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        paragraphs << block.text();
    return paragraphs;
}

QProgressDialog *busyDialog()
{
    const QList<QWidget *> all = QApplication::topLevelWidgets();
    for (QWidget *widget : all) {
        if (auto *dialog = qobject_cast<QProgressDialog *>(widget))
            return dialog;
    }
    return nullptr;
}

void pressShortcut(QWidget *window, Qt::Key key)
{
    dismissPopups();
    if (!window->isActiveWindow()) {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the window did not become active");
    }
    QTest::keyClick(window, key, Qt::ControlModifier);
}

void clickGo(QWidget *window)
{
    dismissPopups();
    QTest::mouseClick(TestSupport::child<QPushButton>(window, "doTransfer"), Qt::LeftButton);
}

void clickCheckBox(QWidget *window, const char *checkBoxName)
{
    auto *box = TestSupport::child<QCheckBox>(window, checkBoxName);
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    option.icon = box->icon();
    option.iconSize = box->iconSize();
    option.state |= box->isChecked() ? QStyle::State_On : QStyle::State_Off;
    const QRect clickRect
        = box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, clickRect.center());
}

void clickIsFlash(QWidget *window)
{
    auto *box = TestSupport::child<QGroupBox>(window, "isFlash");
    // Where the style draws the box's check box: the same option the group
    // box builds for itself.
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls
        = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxCheckBox | QStyle::SC_GroupBoxLabel;
    option.state |= box->isChecked() ? QStyle::State_On : QStyle::State_Off;
    option.features = box->isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
    const QRect checkBox = box->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                        QStyle::SC_GroupBoxCheckBox, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, checkBox.center());
}

void typeInto(QWidget *window, const char *lineEditName, const QString &text)
{
    auto *edit = TestSupport::child<QLineEdit>(window, lineEditName);
    edit->setFocus();
    edit->clear();
    TestSupport::typeText(edit, text);
}

std::shared_ptr<FileDialogSeen> answerNextFileDialog(const QString &path, bool confirmReplace,
                                                     const std::function<void()> &afterAccept)
{
    auto seen = std::make_shared<FileDialogSeen>();
    TestSupport::onNextDialog<QFileDialog>(
        [seen, path, confirmReplace, afterAccept](QFileDialog *dialog) {
            QLineEdit *edit = fileNameEdit(dialog);
            noteFileDialog(*seen, dialog, edit);
            if (confirmReplace) {
                TestSupport::onNextModal(
                    [](QWidget *box) {
                        qobject_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click();
                    },
                    [](QWidget *widget) {
                        return qobject_cast<QMessageBox *>(widget)
                            && qobject_cast<QFileDialog *>(widget->parentWidget());
                    });
            }
            if (!TestSupport::typeIntoFileDialog(dialog, path) || !edit)
                return;
            if (afterAccept)
                afterAccept();
            // The list may still pop up after the dialog has gone; keep it shut
            // for a moment.
            if (QCompleter *completer = edit->completer()) {
                QPointer<QWidget> popup = completer->popup();
                auto *sweeper = new QTimer(qApp);
                auto ticksLeft = std::make_shared<int>(100);
                QObject::connect(sweeper, &QTimer::timeout, qApp, [popup, sweeper, ticksLeft] {
                    if (popup && popup->isVisible())
                        popup->hide();
                    if (--*ticksLeft <= 0 || !popup) {
                        sweeper->stop();
                        sweeper->deleteLater();
                    }
                });
                sweeper->start(20);
            }
        });
    return seen;
}

std::shared_ptr<FileDialogSeen> cancelNextFileDialog()
{
    auto seen = std::make_shared<FileDialogSeen>();
    TestSupport::onNextDialog<QFileDialog>([seen](QFileDialog *dialog) {
        noteFileDialog(*seen, dialog, fileNameEdit(dialog));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    return seen;
}

FileDialogSeen nextDumpDialogStart(QWidget *window)
{
    auto seen = cancelNextFileDialog();
    pressShortcut(window, Qt::Key_1);
    if (!QTest::qWaitFor([seen] { return seen->seen; }))
        qWarning("no save dialog came");
    return *seen;
}

void pressEscape(QProgressDialog *dialog)
{
    QTest::keyClick(dialog, Qt::Key_Escape);
}

std::shared_ptr<BusyDialogSeen>
inspectNextBusyDialog(QWidget *window, const std::function<void(QProgressDialog *)> &then)
{
    auto seen = std::make_shared<BusyDialogSeen>();
    const qsizetype runsBefore = TestSupport::recordedRuns().size();
    QPointer<QWidget> guard(window);
    TestSupport::onNextDialog<QProgressDialog>(
        [seen, guard, runsBefore, then](QProgressDialog *dialog) {
            seen->seen = true;
            seen->title = dialog->windowTitle();
            seen->label = dialog->labelText();
            seen->hasCancelButton = dialog->findChild<QPushButton *>() != nullptr;
            seen->minimum = dialog->minimum();
            seen->maximum = dialog->maximum();
            seen->modality = dialog->windowModality();
            // The tool needs a moment to start and record its arguments; the
            // dialog must still be up once it has.
            if (!QTest::qWaitFor(
                    [runsBefore] { return TestSupport::recordedRuns().size() > runsBefore; }))
                qWarning("the tool did not start while the busy dialog was up");
            seen->runsStarted = TestSupport::recordedRuns().size() - runsBefore;
            seen->visible = dialog->isVisible();
            if (guard)
                seen->paneWhileUp = outputParagraphs(guard);
            if (then)
                then(dialog);
        });
    return seen;
}

} // namespace BoardTest
