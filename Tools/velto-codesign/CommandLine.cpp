#include "CommandLine.h"

#include <optional>

namespace velto::codesign {
namespace {

using platform::Result;

bool isOption(const QString& argument) {
    return argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-");
}

bool isHelp(const QString& argument) {
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") ||
           argument == QLatin1String("help");
}

// The one bundle path that verify and show take, with "--" allowed before it.
Result<QString> singleBundle(const QString& command, QStringList rest) {
    if (!rest.isEmpty() && rest.first() == QLatin1String("--"))
        rest.removeFirst();
    else if (!rest.isEmpty() && isOption(rest.first()))
        return Result<QString>::failure(
            QStringLiteral("%1: unknown option %2").arg(command, rest.first()));
    if (rest.isEmpty())
        return Result<QString>::failure(QStringLiteral("%1: missing BUNDLE").arg(command));
    if (rest.size() > 1)
        return Result<QString>::failure(
            QStringLiteral("%1: unexpected argument %2").arg(command, rest.at(1)));
    if (rest.first().isEmpty())
        return Result<QString>::failure(QStringLiteral("%1: empty BUNDLE path").arg(command));
    return rest.first();
}

Result<Command> parseSign(const QStringList& rest) {
    using R = Result<Command>;
    bool adHoc = false;
    std::optional<QString> certificate;
    std::optional<QString> key;
    std::optional<QString> bundle;
    bool optionsEnded = false;

    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString& argument = rest.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && isOption(argument)) {
            if (argument == QLatin1String("--adhoc")) {
                if (adHoc)
                    return R::failure(QStringLiteral("sign: --adhoc given twice"));
                adHoc = true;
                continue;
            }
            std::optional<QString>* target = nullptr;
            if (argument == QLatin1String("--identity"))
                target = &certificate;
            else if (argument == QLatin1String("--key"))
                target = &key;
            else
                return R::failure(QStringLiteral("sign: unknown option %1").arg(argument));
            if (*target)
                return R::failure(QStringLiteral("sign: %1 given twice").arg(argument));
            if (i + 1 >= rest.size() || rest.at(i + 1).isEmpty())
                return R::failure(QStringLiteral("sign: %1 needs a file").arg(argument));
            *target = rest.at(++i);
            continue;
        }
        if (bundle)
            return R::failure(QStringLiteral("sign: unexpected argument %1").arg(argument));
        if (argument.isEmpty())
            return R::failure(QStringLiteral("sign: empty BUNDLE path"));
        bundle = argument;
    }

    if (adHoc && (certificate || key))
        return R::failure(
            QStringLiteral("sign: --adhoc cannot be combined with --identity or --key"));
    if (!adHoc && !certificate && !key)
        return R::failure(
            QStringLiteral("sign: give --adhoc or --identity CERT.pem --key KEY.pem"));
    if (!adHoc && !certificate)
        return R::failure(QStringLiteral("sign: --key needs --identity CERT.pem"));
    if (!adHoc && !key)
        return R::failure(QStringLiteral("sign: --identity needs --key KEY.pem"));
    if (!bundle)
        return R::failure(QStringLiteral("sign: missing BUNDLE"));
    if (adHoc)
        return Command(SignAdHocCommand{*bundle});
    return Command(SignWithIdentityCommand{*certificate, *key, *bundle});
}

} // namespace

Result<Command> parseCommandLine(const QStringList& arguments) {
    using R = Result<Command>;
    if (arguments.isEmpty())
        return R::failure(QStringLiteral("missing command; try --help"));
    const QString& command = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (isHelp(command))
        return Command(HelpCommand{});
    if (rest.size() == 1 && isHelp(rest.first()))
        return Command(HelpCommand{});

    if (command == QLatin1String("sign"))
        return parseSign(rest);
    if (command == QLatin1String("verify") || command == QLatin1String("show")) {
        Result<QString> bundle = singleBundle(command, rest);
        if (!bundle)
            return R::failure(bundle.error());
        if (command == QLatin1String("verify"))
            return Command(VerifyCommand{std::move(bundle).value()});
        return Command(ShowCommand{std::move(bundle).value()});
    }
    return R::failure(QStringLiteral("unknown command %1; try --help").arg(command));
}

QString usage() {
    return QStringLiteral(
        "Usage:\n"
        "  velto-codesign sign --adhoc BUNDLE\n"
        "  velto-codesign sign --identity CERT.pem --key KEY.pem BUNDLE\n"
        "  velto-codesign verify BUNDLE\n"
        "  velto-codesign show BUNDLE\n"
        "  velto-codesign --help\n"
        "\n"
        "sign     seals every file and link of BUNDLE in Contents/_CodeSignature/CodeResources;\n"
        "         with --identity, also signs the seal (detached CMS) with the PEM certificate\n"
        "         and its unencrypted PEM private key. Further certificates in CERT.pem are\n"
        "         carried as the chain.\n"
        "verify   exits with 0 when BUNDLE matches its seal and its signature checks out.\n"
        "show     prints the signer identity and the unique identifier, one per line.\n");
}

} // namespace velto::codesign
