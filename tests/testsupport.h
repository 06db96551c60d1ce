#ifndef VANTREL_TESTSUPPORT_H
#define VANTREL_TESTSUPPORT_H

#include "app/mainwindow.h"
#include "board/toolrun.h"

#include <QTest>
#include <QtWidgets>

#include <functional>
#include <memory>

namespace TestSupport {

// A widget of the top-level windows by object name; none is a fatal error.
template<typename T>
T *find(const char *name)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (T *found = top->findChild<T *>(QLatin1String(name)))
            return found;
    }
    qFatal("no %s named %s", T::staticMetaObject.className(), name);
}

// A widget of `window` as the user knows it: a button or box by its text, a
// field by the name a screen reader gives it.
inline QWidget *labelled(QWidget *window, const QString &label)
{
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const auto *button = qobject_cast<QAbstractButton *>(widget);
        const auto *box = qobject_cast<QGroupBox *>(widget);
        if ((button && button->text() == label) || (box && box->title() == label)
            || widget->accessibleName() == label)
            return widget;
    }
    qFatal("nothing labelled %s", qPrintable(label));
}

inline QTemporaryDir *folder = nullptr;

// A name in that folder; an absolute path stays as it is.
inline QString workPath(const QString &name)
{
    return QDir(folder->path()).filePath(name);
}

// For a test's initMain(): settings, the simulated board's state and its
// record of runs go to a fresh temporary folder; the board works at once.
inline void isolate()
{
    static QTemporaryDir dir;
    folder = &dir;
    QCoreApplication::setOrganizationName(QStringLiteral("Dunmarrow"));
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(workPath("config")));
    qputenv("JCP_SIM_STATE_DIR", QFile::encodeName(workPath("board")));
    qputenv("JCP_SIM_RECORD", QFile::encodeName(workPath("runs")));
    qputenv("JCP_SIM_PACE_MS", "0");
}

inline QString writeFile(const QString &name, const QByteArray &data)
{
    QFile file(workPath(name));
    QDir().mkpath(QFileInfo(file).path());
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

// The simulated board's runs as command lines, "jcp -q -s; jcp -r"; an
// empty argument shows as ''.
inline QString runs()
{
    QFile record(workPath("runs"));
    QStringList runs;
    if (!record.open(QIODevice::ReadOnly)) // none yet, no runs
        return {};
    while (!record.atEnd()) {
        runs << "jcp";
        for (const auto &argument : QJsonDocument::fromJson(record.readLine()).array())
            runs.last()
                += ' ' + argument.toString().replace(QRegularExpression("^(|.* )$"), "'\\1'");
    }
    return runs.join(QStringLiteral("; "));
}

// Later runs wait after their first line of output until release().
inline void hold()
{
    QFile::remove(workPath("release"));
    qputenv("JCP_SIM_HOLD", QFile::encodeName(workPath("release")));
}

inline void release()
{
    writeFile("release", {});
    qunsetenv("JCP_SIM_HOLD");
}

inline std::unique_ptr<MainWindow> showWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->show();
    window->activateWindow();
    // Not fatal here: trigger() waits again where a key needs the active window.
    (void)QTest::qWaitForWindowActive(window.get());
    return window;
}

// Does one thing a user does, in words: "Ctrl+S" presses keys on the window,
// "File > Quit" chooses through the menu bar, "type TEXT in FIELD" types
// into a field ('...' keeps blanks), "press Go", "tick Skip Boot" or "choose
// Bank 2" click, "tick ... by space" presses space on it, "slip off ..."
// presses on it and lets go off it.
inline void trigger(QMainWindow *window, const QString &step)
{
    if (QRegularExpression("^(Ctrl\\+.|F\\d+)$").match(step).hasMatch()) {
        // Brought to the front first as a desktop does; offscreen, a closed
        // menu keeps the focus until a window asks for it.
        window->activateWindow();
        window->windowHandle()->requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), window->windowHandle());
        return QTest::keySequence(window, QKeySequence(step));
    }
    if (step.contains(" > ")) {
        QMenuBar *bar = window->menuBar();
        QAction *menu = nullptr;
        for (QAction *entry : bar->actions())
            menu = entry->text() == step.section(" > ", 0, 0) ? entry : menu;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu).center());
        QVERIFY(menu->menu()->isVisible());
        // The entry is chosen from the keyboard: Qt 6.8 lets a menu opened by
        // a synthetic click take no synthetic click on an entry.
        for (QAction *entry : menu->menu()->actions()) {
            if (entry->text() == step.section(" > ", 1)) {
                menu->menu()->setActiveAction(entry);
                QTest::keyClick(menu->menu(), Qt::Key_Return);
            }
        }
        // A disabled entry leaves its menu open, as on a desktop.
        menu->menu()->close();
        return;
    }
    const QRegularExpressionMatch typing
        = QRegularExpression("^type '?(.*?)'? in (.+)$").match(step);
    if (typing.hasMatch())
        return QTest::keyClicks(labelled(window, typing.captured(2)), typing.captured(1));
    QString label = step.section(' ', 1);
    const bool bySpace = label.endsWith(QLatin1String(" by space"));
    QWidget *widget = labelled(window, bySpace ? label.chopped(9) : label.remove("off "));
    if (bySpace || qobject_cast<QGroupBox *>(widget))
        return QTest::keyClick(widget, Qt::Key_Space);
    // On a check box's mark or a button's face.
    const QPoint point(8, widget->height() / 2);
    QTest::mousePress(widget, Qt::LeftButton, {}, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {},
                        step.startsWith(QLatin1String("slip")) ? QPoint(-40, -40) : point);
}

// Waits until the window's run of the flash tool has ended.
inline void waitIdle(QWidget *window)
{
    QTRY_VERIFY(!window->findChild<ToolRun *>()->isBusy());
}

// Runs `act` on the next modal widget once it is up; arm it before opening.
// Its timer, named "answer", waits until then: cleanup() deletes those left
// by a dialog that never came.
inline void onNextModal(const std::function<void(QWidget *)> &act)
{
    auto *poll = new QTimer(qApp);
    poll->setObjectName(QStringLiteral("answer"));
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        act(modal);
    });
    poll->start(10);
}

// Answers the next modal dialogs in turn, one word each: "Yes" or "No" clicks
// that button, "Return" or "Escape" presses that key, "" cancels, and any
// other word is a path for the file dialog.
inline void answer(QStringList words)
{
    onNextModal([words](QWidget *modal) mutable {
        const QString word = words.takeFirst();
        if (!words.isEmpty())
            answer(words);
        if (word.isEmpty() || word == "Return" || word == "Escape")
            return QTest::keyClick(modal, word == "Return" ? Qt::Key_Return : Qt::Key_Escape);
        // Another dialog than the one expected fails the test, not the program.
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (word == "Yes" || word == "No") {
            QVERIFY2(box, qPrintable(modal->windowTitle()));
            return box->button(word == "Yes" ? QMessageBox::Yes : QMessageBox::No)->click();
        }
        // Set whole, as a paste is: typed name by name, the dialog's
        // completion list would take the Return for itself.
        auto *field = modal->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY2(field, qPrintable(modal->windowTitle()));
        field->setText(word);
        QTest::keyClick(field, Qt::Key_Return);
    });
}

// The options panel as a user sees it, in words, what differs from a fresh
// window: "Is Flash? ticked, usable banks: 1 2 6MB, Bank 2 chosen, address
// usable, skip usable, Dump Bank 2 greyed, Rev 1 on, Word Flash on".
inline QString panelState()
{
    const auto is = [](const char *name, const char *property) {
        return find<QObject>(name)->property(property).toBool();
    };
    QStringList banks;
    for (auto *bank : find<QGroupBox>("isFlash")->findChildren<QRadioButton *>())
        banks << (bank->isEnabled() ? bank->text().remove("Bank ") : QString());
    banks.removeAll(QString());
    // clang-format off
    QStringList state{is("isFlash", "checked") ? "Is Flash? ticked" : "", banks.isEmpty() ? "" : "usable banks: " + banks.join(' '),
        is("bank2Radio", "checked") ? "Bank 2 chosen" : "", is("bank6Radio", "checked") ? "6MB chosen" : "",
        is("overrideAddress", "enabled") ? "address usable" : "", is("skipBytesval", "enabled") ? "skip usable" : "",
        is("actionDump_Bank2", "enabled") ? "" : "Dump Bank 2 greyed", is("actionRev_1_Skunkboard", "checked") ? "Rev 1 on" : "",
        is("actionUse_Word_Flash_Mode", "checked") ? "Word Flash on" : ""};
    // clang-format on
    state.removeAll(QString());
    return state.isEmpty() ? QStringLiteral("as started") : state.join(QStringLiteral(", "));
}

// Every dialog of Vantrel's as it is shown: file dialogs by caption, filter
// and the file name they start with, busy dialogs by title, label and
// whether they can be cancelled, message boxes by title and text.
class DialogLog : public QObject
{
public:
    DialogLog() { qApp->installEventFilter(this); }
    QStringList shown;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Objects are cast only once shown: others may be half destroyed.
        auto *dialog = event->type() == QEvent::Show ? qobject_cast<QDialog *>(watched) : nullptr;
        auto *files = qobject_cast<QFileDialog *>(dialog);
        auto *busy = qobject_cast<QProgressDialog *>(dialog);
        auto *box = qobject_cast<QMessageBox *>(dialog);
        const QString name = files ? files->findChild<QLineEdit *>("fileNameEdit")->text() : "";
        if (dialog)
            shown << dialog->windowTitle()
                    + (files ? " [" + files->nameFilters().join(";;") + ']' : "")
                    + (name.isEmpty() ? "" : " @" + name) + (box ? " / " + box->text() : "")
                    + (busy ? " / " + busy->labelText() : "")
                    + (busy && busy->findChild<QPushButton *>() ? " +cancel" : "");
        return false;
    }
};

} // namespace TestSupport

#endif
