#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace velto {

/**
 * The smoke-test mode: one command-line option, "--smoke-test-exit-after="
 * followed by seconds, and the fixed lines it prints.
 */
namespace SmokeTest {

inline constexpr const char* kOption = "--smoke-test-exit-after=";
inline constexpr const char* kLoadedWidgetsPrefix = "SMOKE_TEST_LOADED_WIDGET_IDS: ";
inline constexpr const char* kDiagnosticPrefix = "SMOKE_TEST_DIAGNOSTIC: ";
inline constexpr const char* kAutoApprovedPrefix = "SMOKE_TEST_AUTO_APPROVED_THIRD_PARTY: ";

/// Any argument, the program path included, begins with the option.
bool isRequested(const QStringList& arguments);

/// "<bundle identifier>.smoke-test".
QString defaultsDomain(const QString& bundleIdentifier);

/**
 * Seconds until the smoke test exits: the second non-empty "="-separated
 * piece of the first option argument, as a decimal number. Absent when there
 * is no option, no second piece, or the piece is not a finite number.
 */
std::optional<double> exitAfterSeconds(const QStringList& arguments);

/// The widget line: the prefix and the ids sorted by code point, joined by ",".
QString loadedWidgetsLine(QStringList ids);
QString diagnosticLine(const QString& message);
QString autoApprovedLine(const QString& identity);

} // namespace SmokeTest
} // namespace velto
