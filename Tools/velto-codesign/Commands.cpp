#include "Commands.h"

#include "Platform/CodeSignature.h"

#include <type_traits>

namespace velto::codesign {
namespace {

using namespace velto::platform;

void complain(QTextStream& err, const QString& message) {
    err << "velto-codesign: " << message << '\n';
    err.flush();
}

int signAdHoc(const SignAdHocCommand& command, QTextStream& err) {
    const Status status = CodeSignature::signAdHoc(command.bundle);
    if (!status) {
        complain(err, QStringLiteral("cannot sign %1: %2").arg(command.bundle, status.error()));
        return kExitFailure;
    }
    return kExitSuccess;
}

int signWithIdentity(const SignWithIdentityCommand& command, QTextStream& err) {
    const Status status =
        CodeSignature::signWithIdentity(command.bundle, command.certificate, command.key);
    if (!status) {
        complain(err, QStringLiteral("cannot sign %1: %2").arg(command.bundle, status.error()));
        return kExitFailure;
    }
    return kExitSuccess;
}

int verify(const VerifyCommand& command, QTextStream& out, QTextStream& err) {
    const Result<VerifiedBundle> bundle = CodeSignature::check(command.bundle);
    if (!bundle) {
        complain(err, QStringLiteral("%1: invalid: %2").arg(command.bundle, bundle.error()));
        return kExitFailure;
    }
    out << command.bundle << ": valid\n";
    out.flush();
    return kExitSuccess;
}

int show(const ShowCommand& command, QTextStream& out, QTextStream& err) {
    const Result<QByteArray> manifest = CodeSignature::readManifest(command.bundle);
    if (!manifest) {
        complain(err, QStringLiteral("%1: %2").arg(command.bundle, manifest.error()));
        return kExitFailure;
    }
    out << CodeSignature::signingIdentity(command.bundle) << '\n'
        << CodeSignature::uniqueIdentifier(command.bundle).value_or(QString()) << '\n';
    out.flush();
    return kExitSuccess;
}

} // namespace

int run(const Command& command, QTextStream& out, QTextStream& err) {
    return std::visit(
        [&](const auto& c) -> int {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, HelpCommand>) {
                out << usage();
                out.flush();
                return kExitSuccess;
            } else if constexpr (std::is_same_v<T, SignAdHocCommand>) {
                return signAdHoc(c, err);
            } else if constexpr (std::is_same_v<T, SignWithIdentityCommand>) {
                return signWithIdentity(c, err);
            } else if constexpr (std::is_same_v<T, VerifyCommand>) {
                return verify(c, out, err);
            } else {
                return show(c, out, err);
            }
        },
        command);
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const platform::Result<Command> command = parseCommandLine(arguments);
    if (!command) {
        complain(err, command.error());
        return kExitUsage;
    }
    return run(command.value(), out, err);
}

} // namespace velto::codesign
