#ifndef VANTREL_TESTSUPPORT_H
#define VANTREL_TESTSUPPORT_H

#include "app/mainwindow.h"

#include <QTest>
#include <QtWidgets>

#include <functional>
#include <memory>

namespace TestSupport {

// A widget of the top-level windows by name; none is a fatal error.
template<typename T>
T *find(const char *name)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (T *found = top->findChild<T *>(QLatin1String(name)))
            return found;
    }
    qFatal("no %s named %s", T::staticMetaObject.className(), name);
}

inline QTemporaryDir *folder = nullptr;

// A name in that folder (its folders made); an absolute path stays as it is.
inline QString workPath(const QString &name)
{
    return QDir(folder->path()).filePath(name);
}

// For a test's initMain(): settings (QSettings() is Vantrel's), the simulated
// board's state and its record of runs go to a fresh temporary folder; the
// board works at once.
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

// The simulated board's runs: arguments joined by "|", runs by " ".
inline QString runs()
{
    QFile record(workPath("runs"));
    QStringList runs;
    if (record.open(QIODevice::ReadOnly)) { // none yet, no runs
        while (!record.atEnd())
            runs << QJsonDocument::fromJson(record.readLine()).toVariant().toStringList().join('|');
    }
    return runs.join(' ');
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

// Clicks "Menu/Entry" through the menu bar.
inline void chooseMenuEntry(QMenuBar *bar, const QString &path)
{
    auto *menu = find<QMenu>(qPrintable("menu" + path.section('/', 0, 0)));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QVERIFY(menu->isVisible());
    // The entry is chosen from the keyboard: Qt 6.8 lets a menu opened by a
    // synthetic click take no synthetic click on an entry.
    for (QAction *entry : menu->actions()) {
        if (entry->text() == path.section('/', 1)) {
            menu->setActiveAction(entry);
            QTest::keyClick(menu, Qt::Key_Return);
        }
    }
    // A disabled entry leaves its menu open, as on a desktop.
    menu->close();
}

// Acts as a user does: "^X" presses Ctrl+X on the window; "name=text" types
// into that field; "Menu/Entry" clicks through the menu bar; "space:name"
// presses space on that widget; "name" clicks it, "slip:name" presses on it
// and lets go off it.
inline void trigger(QWidget *window, const QString &how)
{
    if (how.startsWith('^')) {
        // Brought to the front first as a desktop does; offscreen, a closed
        // menu keeps the focus until a window asks for it.
        window->activateWindow();
        window->windowHandle()->requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), window->windowHandle());
        return QTest::keyClick(window, Qt::Key(how.at(1).unicode()), Qt::ControlModifier);
    }
    if (how.contains('/') && !how.contains('='))
        return chooseMenuEntry(qobject_cast<QMainWindow *>(window)->menuBar(), how);
    auto *widget = find<QWidget>(qPrintable(how.section(':', -1).section('=', 0, 0)));
    if (how.contains('='))
        return QTest::keyClicks(widget, how.section('=', 1));
    if (how.startsWith(QLatin1String("space:")))
        return QTest::keyClick(widget, Qt::Key_Space);
    // On a check box's mark or a button's face.
    const QPoint point(8, widget->height() / 2);
    QTest::mousePress(widget, Qt::LeftButton, {}, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {},
                        how.startsWith(QLatin1String("slip:")) ? QPoint(-40, -40) : point);
}

// Waits until the window's flash tool has ended.
inline void waitIdle(QWidget *window)
{
    QTRY_COMPARE(window->findChild<QProcess *>()->state(), QProcess::NotRunning);
}

// Runs `act` on the next modal widget once it is up; arm it before opening.
// Its QTimer, named "modalAnswer", waits until then: a test's cleanup()
// deletes those left by a dialog that never came.
inline void onNextModal(const std::function<void(QWidget *)> &act)
{
    auto *poll = new QTimer(qApp);
    poll->setObjectName(QStringLiteral("modalAnswer"));
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

// The options panel in letters: the enabled ones of the address field (o),
// the skip field (h), the bank buttons (1 2 6) and "Dump ROM Bank 2" (d);
// F for "Is Flash?", r and w for the two Tools switches when checked; after
// the colon the checked bank.
inline QString panelState()
{
    QString state;
    // clang-format off
    for (const auto &[name, letter] : std::initializer_list<std::pair<const char *, char>>{{"overrideAddress", 'o'},
            {"skipBytesval", 'h'}, {"bank1Radio", '1'}, {"bank2Radio", '2'}, {"bank6Radio", '6'}, {"isFlash", 'F'},
            {"actionDump_Bank2", 'd'}, {"actionRev_1_Skunkboard", 'r'}, {"actionUse_Word_Flash_Mode", 'w'}}) {
        if (find<QObject>(name)->property(QByteArray("Frw").contains(letter) ? "checked" : "enabled").toBool())
            state += letter;
    }
    // clang-format on
    state += ':';
    for (auto *bank : find<QGroupBox>("isFlash")->findChildren<QRadioButton *>())
        state += bank->isChecked() ? bank->text() : QString();
    return state;
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
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (event->type() != QEvent::Show || !dialog)
            return false;
        QString text = dialog->windowTitle();
        if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
            const QString name = files->findChild<QLineEdit *>("fileNameEdit")->text();
            text += " [" + files->nameFilters().join(";;") + ']'
                + (name.isEmpty() ? "" : " @" + name);
        }
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            text += " / " + box->text();
        if (auto *busy = qobject_cast<QProgressDialog *>(dialog))
            text
                += " / " + busy->labelText() + (busy->findChild<QPushButton *>() ? " +cancel" : "");
        shown << text;
        return false;
    }
};

} // namespace TestSupport

#endif
