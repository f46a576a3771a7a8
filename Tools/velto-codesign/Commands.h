#pragma once

#include "CommandLine.h"

#include <QTextStream>

namespace velto::codesign {

/// Exit statuses of velto-codesign.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitFailure = 1, ///< the bundle is invalid, or signing it failed
    kExitUsage = 2,   ///< the command line is wrong
};

/// Runs @p command, writing results to @p out and "velto-codesign: ..." lines to @p err.
int run(const Command& command, QTextStream& out, QTextStream& err);

/// Parses @p arguments (without the program name) and runs them.
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace velto::codesign
