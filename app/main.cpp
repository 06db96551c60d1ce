#include "app/mainwindow.h"
#include "app/quitsignals.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    // Fusion is the closest built-in successor of the Plastique look; it is
    // installed before the application object so that every widget gets it.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    MainWindow window;
    QuitSignals quitSignals;
    QObject::connect(&quitSignals, &QuitSignals::received, &window, &MainWindow::stopAndQuit);
    window.show();
    return app.exec();
}
