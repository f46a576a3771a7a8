// Saves what an X display shows, for the end-to-end run in a real tray host:
//   tray-screenshot FILE.png [x y width height]
// Runs on the display in DISPLAY; exits 1 when it cannot grab or save.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2 && arguments.size() != 6) {
        std::fprintf(stderr, "usage: tray-screenshot FILE.png [x y width height]\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1;
    QRect area = screen->geometry();
    if (arguments.size() == 6)
        area = QRect(arguments[2].toInt(), arguments[3].toInt(), arguments[4].toInt(),
                     arguments[5].toInt());
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return !shot.isNull() && shot.save(arguments[1]) ? 0 : 1;
}
