#include "app/mainwindow.h"
#include "app/quitsignals.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    // A quit asked for while the window is still being built waits for the
    // event loop, and ends the program as cleanly as any later one.
    QuitSignals::install();
    // Fusion is the closest built-in successor of the Plastique look; it is
    // installed before the application object so that every widget gets it.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    // The desktop entry's id: Wayland docks and X11 task bars find the
    // entry, and with it Vantrel's name and icon, by this name.
    QApplication::setDesktopFileName(QStringLiteral("example.kestrovane.Vantrel"));
    QuitSignals quitSignals;
    MainWindow window;
    QObject::connect(&quitSignals, &QuitSignals::received, &window, &MainWindow::stopAndQuit);
    window.show();
    return app.exec();
}
