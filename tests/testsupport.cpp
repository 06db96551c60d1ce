#include "tests/testsupport.h"

#include <QDialog>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

namespace TestSupport {

namespace {
QTemporaryDir *folder = nullptr;
} // namespace

void isolate()
{
    static QTemporaryDir dir;
    folder = &dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(workPath("config")));
    qputenv("JCP_SIM_STATE_DIR", QFile::encodeName(workPath("board")));
    qputenv("JCP_SIM_RECORD", QFile::encodeName(workPath("runs")));
    qputenv("JCP_SIM_PACE_MS", "0");
}

QString workPath(const QString &name)
{
    return folder->filePath(name);
}

QString writeFile(const QString &name, const QByteArray &data)
{
    QFile file(workPath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

QVariant setting(const char *key)
{
    return QSettings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel")).value(key);
}

void storeSettings(const QVariantMap &values)
{
    QSettings settings(QStringLiteral("Dunmarrow"), QStringLiteral("Vantrel"));
    settings.clear();
    for (auto it = values.begin(); it != values.end(); ++it)
        settings.setValue(it.key(), it.value());
}

QList<QStringList> runs()
{
    QFile record(workPath("runs"));
    QList<QStringList> runs;
    if (record.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : record.readAll().split('\n')) {
            if (!line.isEmpty())
                runs << QVariant(QJsonDocument::fromJson(line).array().toVariantList())
                            .toStringList();
        }
    }
    return runs;
}

void clearRuns()
{
    QFile::remove(workPath("runs"));
}

void hold()
{
    QFile::remove(workPath("release"));
    qputenv("JCP_SIM_HOLD", QFile::encodeName(workPath("release")));
}

void release()
{
    writeFile("release", {});
    qunsetenv("JCP_SIM_HOLD");
}

std::unique_ptr<MainWindow> showWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the main window did not become active");
    return window;
}

void press(QWidget *window, Qt::Key key)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, key, Qt::ControlModifier);
}

void onNextModal(const std::function<void(QWidget *)> &act)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(modal);
    });
    poll->start(10);
}

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void answerFileDialog(QWidget *dialog, const QString &path)
{
    // Set whole, as a paste is: typed name by name, the dialog's completion
    // list would take the Return for itself.
    auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(field);
    field->setText(path);
    QTest::keyClick(field, Qt::Key_Return);
    if (dialog->isVisible()) {
        qobject_cast<QDialog *>(dialog)->reject();
        QFAIL(qPrintable(QStringLiteral("the file dialog did not take ") + path));
    }
}

} // namespace TestSupport
