#include "Commands.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    const QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return velto::codesign::runCommandLine(QCoreApplication::arguments().mid(1), out, err);
}
