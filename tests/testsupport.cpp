#include "tests/testsupport.h"

namespace TestSupport {

namespace {
QTemporaryDir *folder = nullptr;
} // namespace

void isolate()
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

QString workPath(const QString &name)
{
    return QDir(folder->path()).filePath(name);
}

QString writeFile(const QString &name, const QByteArray &data)
{
    QFile file(workPath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

QList<QStringList> runs()
{
    QFile record(workPath("runs"));
    record.open(QIODevice::ReadOnly); // none yet, no runs
    QList<QStringList> runs;
    while (!record.atEnd())
        runs << QJsonDocument::fromJson(record.readLine()).toVariant().toStringList();
    return runs;
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
    // Not fatal here: press() waits again where a key needs the active window.
    (void)QTest::qWaitForWindowActive(window.get());
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

void answerFileDialog(QWidget *dialog, const QString &path)
{
    if (path.isEmpty())
        return QTest::keyClick(dialog, Qt::Key_Escape);
    // Set whole, as a paste is: typed name by name, the dialog's completion
    // list would take the Return for itself.
    auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    field->setText(path);
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace TestSupport
