// The floor under velto's idle cost: a Qt application with one small window
// showing a short text, doing nothing else. Benchmarks/idle-cost measures it
// beside the app.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("37%"));
    label.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    label.show();
    return app.exec();
}
