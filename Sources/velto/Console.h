#pragma once

#include <QString>

namespace velto::Console {

/// Writes @p line and a newline to standard output as UTF-8.
void printLine(const QString& line);
/// Writes @p line and a newline to standard error as UTF-8.
void printError(const QString& line);
/// Makes standard output unbuffered, so that a reading harness sees each line at once.
void makeOutputUnbuffered();

} // namespace velto::Console
