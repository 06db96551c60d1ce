#include "tests/testsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QTimer>

#include <memory>

namespace TestSupport {

namespace {
QString g_recordFile;
} // namespace

void isolateEnvironment(QTemporaryDir &dir)
{
    if (!dir.isValid())
        qFatal("cannot create a temporary folder for the test");
    const QString root = dir.path();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QLatin1String("/config")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(root + QLatin1String("/state")));
    qputenv("JCP_SIM_STATE_DIR", QFile::encodeName(root + QLatin1String("/board")));
    g_recordFile = root + QLatin1String("/jcp-runs.jsonl");
    qputenv("JCP_SIM_RECORD", QFile::encodeName(g_recordFile));
    resetToolBehaviour();
}

void clearSettings()
{
    QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
    settings.clear();
    settings.sync();
}

QString recordFile()
{
    return g_recordFile;
}

QList<QStringList> recordedRuns()
{
    QList<QStringList> runs;
    QFile file(g_recordFile);
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        QStringList arguments;
        const QJsonArray array = QJsonDocument::fromJson(line).array();
        for (const auto &value : array)
            arguments << value.toString();
        runs << arguments;
    }
    return runs;
}

void clearRecordedRuns()
{
    QFile::remove(g_recordFile);
}

void resetToolBehaviour()
{
    for (const char *name :
         {"JCP_SIM_SLEEP_MS", "JCP_SIM_STDOUT", "JCP_SIM_STDERR", "JCP_SIM_EXIT"})
        qunsetenv(name);
}

void onNextModal(const std::function<void(QWidget *)> &action,
                 const std::function<bool(QWidget *)> &accept, int timeoutMs)
{
    auto *timer = new QTimer(qApp);
    auto elapsed = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, qApp, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && (!accept || accept(modal))) {
            timer->stop();
            timer->deleteLater();
            action(modal);
            return;
        }
        *elapsed += timer->interval();
        if (*elapsed >= timeoutMs) {
            timer->stop();
            timer->deleteLater();
            qWarning("expected a modal dialog, none came within %d ms", timeoutMs);
        }
    });
    timer->start();
}

QList<QWidget *> visibleTopLevels()
{
    QList<QWidget *> visible;
    const QList<QWidget *> all = QApplication::topLevelWidgets();
    for (QWidget *widget : all) {
        if (widget->isVisible())
            visible << widget;
    }
    return visible;
}

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

bool typeIntoFileDialog(QFileDialog *dialog, const QString &path)
{
    auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!nameEdit) {
        qWarning("the file dialog has no file name field");
        dialog->reject();
        return false;
    }
    // With the keyboard elsewhere the dialog rewrites the field from its file
    // list while the name is typed, so the field must have it, as it does for
    // a user. Without a window manager nobody else hands it over, and the
    // main window's own activation may still be on its way.
    const bool focused = QTest::qWaitFor([dialog, nameEdit] {
        if (QApplication::activeWindow() != dialog)
            dialog->activateWindow();
        else if (!nameEdit->hasFocus())
            nameEdit->setFocus();
        return QApplication::activeWindow() == dialog && nameEdit->hasFocus();
    });
    if (!focused) {
        qWarning("the file dialog's name field did not get the keyboard");
        dialog->reject();
        return false;
    }
    QPointer<QFileDialog> guard(dialog);
    // The name completion fills its list from a background thread; a list
    // that pops up takes the first Return for itself, as it does for a user,
    // and the next one is the dialog's.
    for (int attempt = 0; attempt < 10 && guard && guard->isVisible(); ++attempt) {
        if (nameEdit->text() != path) {
            QTest::keyClick(nameEdit, Qt::Key_A, Qt::ControlModifier);
            typeText(nameEdit, path);
        }
        QTest::keyClick(nameEdit, Qt::Key_Return);
        if (QTest::qWaitFor([guard] { return !guard || !guard->isVisible(); }, 300))
            break;
    }
    if (guard && guard->isVisible()) {
        qWarning("the file dialog did not take %s (its field holds %s)", qPrintable(path),
                 qPrintable(nameEdit->text()));
        guard->reject();
        return false;
    }
    return true;
}

void startAsFirstRun()
{
    clearSettings();
    resetToolBehaviour();
    clearRecordedRuns();
}

std::unique_ptr<MainWindow> showWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the window did not become active");
    return window;
}

} // namespace TestSupport
