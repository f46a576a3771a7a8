#pragma once

#include "Platform/Result.h"

#include <QString>
#include <QStringList>
#include <variant>

namespace velto::codesign {

struct HelpCommand {};
struct SignAdHocCommand {
    QString bundle;
};
struct SignWithIdentityCommand {
    QString certificate;
    QString key;
    QString bundle;
};
struct VerifyCommand {
    QString bundle;
};
struct ShowCommand {
    QString bundle;
};

using Command = std::variant<HelpCommand, SignAdHocCommand, SignWithIdentityCommand, VerifyCommand,
                             ShowCommand>;

/// Reads the arguments after the program name; the failure text is one line without the
/// program name.
platform::Result<Command> parseCommandLine(const QStringList& arguments);

/// The text that --help prints.
QString usage();

} // namespace velto::codesign
