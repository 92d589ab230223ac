// velkctl [--receiver ADDR] [--user ID] [--pin PIN] [--ftp-port N] [--port-base N]
//         [--lang ENG|GER|FIN|DAN|SWE] [--timeout SECONDS] [--yes] COMMAND [ARGS...]
// Talks to the receiver from a terminal. Exit status: 0 success, 1 failure (the system's
// message on standard error), 2 usage error.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/velkctl/TerminalPrompter.h"
#include "tools/velkctl/Velkctl.h"
#include "velkport/link/ReceiverAddress.h"
#include "velkport/shell/ProgramFolder.h"

namespace {

using velkctl::kExitOk;
using velkctl::kExitUsage;

const char* const kGlobalHelp =
    "Options (before or after the command):\n"
    "  --receiver ADDR   the receiver's IPv4 address (default: $VELK_RECEIVER)\n"
    "  --user ID         user id for the logon (default: root)\n"
    "  --pin PIN         pin code for the logon (default: $VELK_PIN)\n"
    "  --ftp-port N      the receiver's FTP port (default: 21)\n"
    "  --port-base N     command channel n is port N + n (default: 34000)\n"
    "  --lang CODE       language of the messages: ENG, GER, FIN, DAN or SWE\n"
    "                    (default: the language file of the program's data)\n"
    "  --timeout SECONDS how long a receiver may stay silent (default: 30)\n"
    "  --yes             answer yes to every question\n"
    "  --help            this text; 'velkctl COMMAND --help' describes one command\n"
    "\n"
    "Exit status: 0 success, 1 failure (the message is on standard error), 2 usage error.\n";

void PrintOverview() {
    std::printf("usage: velkctl [OPTIONS] COMMAND [ARGS...]\n\nCommands:\n");
    for (const auto& c : velkctl::Commands())
        std::printf("  %-34s %s\n", c.synopsis.c_str(), c.summary.c_str());
    std::printf("\n%s", kGlobalHelp);
}

void PrintCommandHelp(const velkctl::CommandInfo& c) {
    std::printf("usage: velkctl [OPTIONS] %s\n\n%s\n", c.synopsis.c_str(), c.summary.c_str());
    if (!c.help.empty())
        std::printf("\n%s", c.help.c_str());
    if (!c.help.empty() && c.help.back() != '\n')
        std::printf("\n");
    std::printf("\n%s", kGlobalHelp);
}

bool TakesValue(const std::string& option) {
    return option == "--receiver" || option == "--user" || option == "--pin" ||
           option == "--ftp-port" || option == "--port-base" || option == "--lang" ||
           option == "--timeout";
}

}  // namespace

int main(int argc, char** argv) {
    velkctl::Context context;
    if (const char* r = std::getenv("VELK_RECEIVER"))
        context.app.receiverAddress = r;
    if (const char* p = std::getenv("VELK_PIN"))
        context.app.pinCode = p;
    context.app.userId = "root";

    std::string command;
    std::vector<std::string> args;
    std::string lang;
    bool help = false;
    bool onlyArguments = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (onlyArguments) {
            args.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyArguments = true;
            continue;
        }
        std::string option = arg;
        std::string value;
        bool haveValue = false;
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            option = arg.substr(0, arg.find('='));
            value = arg.substr(arg.find('=') + 1);
            haveValue = true;
        }
        if (TakesValue(option)) {
            if (!haveValue) {
                if (i + 1 >= argc)
                    return velkctl::UsageError(command, option + " needs a value");
                value = argv[++i];
            }
            if (option == "--receiver") {
                context.app.receiverAddress = value;
            } else if (option == "--user") {
                context.app.userId = value;
            } else if (option == "--pin") {
                context.app.pinCode = value;
            } else if (option == "--ftp-port") {
                if (!velkctl::ParsePort(value, context.app.ftpPort))
                    return velkctl::UsageError(command, "--ftp-port: not a port number: " + value);
            } else if (option == "--port-base") {
                if (!velkctl::ParsePort(value, context.app.portBase) ||
                    context.app.portBase > 65535 - 8)
                    return velkctl::UsageError(command, "--port-base: not a port number: " + value);
            } else if (option == "--lang") {
                lang = value;
            } else if (option == "--timeout") {
                std::uint16_t seconds = 0;
                if (!velkctl::ParsePort(value, seconds) || seconds > 3600)
                    return velkctl::UsageError(command, "--timeout: 1 to 3600 seconds: " + value);
                context.timeout = std::chrono::seconds(seconds);
            }
            continue;
        }
        if (haveValue)
            return velkctl::UsageError(command, "unknown option " + option);
        if (arg == "--yes" || arg == "-y") {
            context.yes = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            help = true;
            continue;
        }
        if (command.empty()) {
            if (arg.size() > 1 && arg[0] == '-')
                return velkctl::UsageError(command, "unknown option " + arg);
            command = arg;
            continue;
        }
        args.push_back(arg);  // the command's own arguments and options
    }

    if (command.empty()) {
        if (help) {
            PrintOverview();
            return kExitOk;
        }
        return velkctl::UsageError("", "no command given");
    }
    const velkctl::CommandInfo* info = velkctl::FindCommand(command);
    if (!info)
        return velkctl::UsageError("", "unknown command '" + command + "'");
    if (help) {
        PrintCommandHelp(*info);
        return kExitOk;
    }

    velkport::shell::RecordProgramLocation(context.app);
    if (!lang.empty()) {
        if (!velkport::shell::ApplyLanguageCode(lang, context.app))
            return velkctl::UsageError(command, "--lang: one of ENG, GER, FIN, DAN, SWE: " + lang);
    } else {
        velkport::shell::ChooseLanguage(context.app);
    }

    // Only four dotted numbers name the receiver: a name would need a lookup, "127.1" a guess.
    if (!context.app.receiverAddress.empty() &&
        !velkport::link::ReceiverAddress::IsValid(context.app.receiverAddress))
        return velkctl::UsageError(command,
                                   std::string(velkport::link::ReceiverAddress::kMissingMessage) +
                                       ": not an address: " + context.app.receiverAddress);
    if (info->needsReceiver) {
        // The Connect dialog's own checks, in its order.
        const char* missing = context.app.userId.empty()            ? "Input user id"
                              : context.app.pinCode.empty()         ? "Input password"
                              : context.app.receiverAddress.empty() ? "Input IP address"
                                                                    : nullptr;
        if (missing)
            return velkctl::UsageError(command,
                                       std::string(missing) +
                                           " (--user ID, --pin PIN or $VELK_PIN, --receiver "
                                           "ADDR or $VELK_RECEIVER)");
    }

    velkctl::TerminalPrompter prompter(context.yes);
    context.prompter = &prompter;
    return info->run(context, args);
}
