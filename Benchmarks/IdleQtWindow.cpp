// The floor under velto's idle cost: a Qt application with one small window
// showing a short text that, once a second, asks the kernel what velto's
// built-in widgets ask it (the CPU times, the memory counts and every link's
// counters) and does nothing with the answers. Benchmarks/idle-cost measures
// it beside the app.
#include "NetworkCore/NetlinkLinkStats.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <array>
#include <fcntl.h>
#include <unistd.h>

namespace {

void readWhole(int fd) {
    std::array<char, 4096> buffer;
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), at);
        if (got <= 0)
            return;
        at += got;
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("37%"));
    label.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    label.show();

    const int stat = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
    const int meminfo = ::open("/proc/meminfo", O_RDONLY | O_CLOEXEC);
    velto::LinkStats64Table links;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        readWhole(stat);
        readWhole(meminfo);
        velto::NetlinkLinkStats::read(links);
    });
    tick.start(1000);
    const int status = app.exec();
    ::close(stat);
    ::close(meminfo);
    return status;
}
