#include "tests/testsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
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
        for (const QJsonValue &value : array)
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
    for (const char *name : {"JCP_SIM_SLEEP_MS", "JCP_SIM_STDOUT", "JCP_SIM_STDERR", "JCP_SIM_EXIT"})
        qunsetenv(name);
}

void onNextModal(std::function<void(QWidget *)> action, std::function<bool(QWidget *)> accept,
                 int timeoutMs)
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

} // namespace TestSupport
