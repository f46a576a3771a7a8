#include "Console.h"

#include <cstdio>

namespace velto::Console {

namespace {

void write(std::FILE* stream, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void printLine(const QString& line) {
    write(stdout, line);
}

void printError(const QString& line) {
    write(stderr, line);
}

void makeOutputUnbuffered() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
}

} // namespace velto::Console
