// Program start: the application object, the main window FOrvek, and the event loop until the
// window closes.
#include "AppTitle.h"
#include "Artwork.h"
#include "UOrvek.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    // The window is laid out in pixels at 96 dpi and is not scaled for the screen.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication application(argc, argv);
    // Desktops name the taskbar entry and group the windows by it.
    QApplication::setApplicationName(applicationTitle());
    QApplication::setWindowIcon(applicationIcon());

    TFOrvek FOrvek;
    FOrvek.show();
    return QApplication::exec();
}
