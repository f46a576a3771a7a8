#pragma once

#include <QStringView>

namespace velto::platform {

/**
 * Ordering of build numbers such as CFBundleVersion and an appcast item's
 * version. Both are split into runs of digits and runs of other letters;
 * anything else ('.', '-', '+', blanks) only separates runs. Digit runs compare
 * as numbers of any length, so 1.10 is newer than 1.9; letter runs compare as
 * text. A digit run is newer than a letter run in the same place (1.0.1 after
 * 1.0b1). When one side runs out, trailing zeros on the other do not count
 * (1.0 equals 1.0.0), a further number makes it newer and a further letter run
 * makes it older, as in a pre-release (1.0b1 before 1.0).
 */
namespace BundleVersion {

/// Negative when @p a is older than @p b, zero when they are the same version, positive when newer.
int compare(QStringView a, QStringView b);

/// Whether @p text holds at least one digit or letter, so that it names a version at all.
bool isUsable(QStringView text);

} // namespace BundleVersion
} // namespace velto::platform
