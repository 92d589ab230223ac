#include "corvid/sharing/app/SharingCommands.h"

#include <arpa/inet.h>
#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "common/IniFile.h"
#include "corvid/receiver/ControlListener.h"
#include "corvid/receiver/CorvidletLink.h"
#include "corvid/receiver/LoggingControlHandler.h"
#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/MediaType.h"
#include "corvid/sharing/SambaAccount.h"
#include "corvid/sharing/SambaShares.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/desktop/ShareContentLookup.h"

namespace corvid::app {

namespace {

using sharing::SharingSettings;

int usage() {
    std::fprintf(stderr, "usage: corvid COMMAND ...\n%s", SharingUsage());
    return 2;
}

bool number(const char* text, long low, long high, long& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high)
        return false;
    out = v;
    return true;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Warns when Samba would let a wrong password in as the guest account.
void warnAboutGuestMapping(sharing::CommandRunner& runner) {
    sharing::SambaShares samba(runner, SharingSettings::sambaConfigFile());
    std::string message;
    if (!samba.GuestMappingIsNever(&message))
        std::fprintf(stderr, "corvid: warning: %s\n", message.c_str());
}

bool load(SharingSettings& settings, bool shares) {
    if (!settings.LoadSettings())
        std::fprintf(stderr, "corvid: the settings file %s could not be written\n",
                     settings.settingsFile().c_str());
    if (shares && !settings.LoadShares()) {
        std::fprintf(stderr, "corvid: %s\n", settings.LastError().c_str());
        return false;
    }
    return true;
}

int shareAdd(int argc, char** argv) {
    if (argc < 1)
        return usage();
    const std::string typeAndPath = argv[0];
    const auto colon = typeAndPath.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == typeAndPath.size())
        return usage();
    sharing::ShareRecord record;
    record.mediaTypeName = typeAndPath.substr(0, colon);
    std::error_code ec;
    record.path = std::filesystem::absolute(typeAndPath.substr(colon + 1), ec).lexically_normal();
    if (record.path.size() > 1 && record.path.back() == '/')
        record.path.pop_back();
    record.name = std::filesystem::path(record.path).filename();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--name" && i + 1 < argc)
            record.name = argv[++i];
        else if (arg == "--read-only")
            record.readOnly = 1;
        else
            return usage();
    }
    sharing::CommandRunner runner;
    SharingSettings settings;
    if (!load(settings, true))
        return 1;
    const auto check = settings.AddShare(record);
    if (check != sharing::ShareCheck::Added) {
        std::fprintf(stderr, "corvid: %s%s%s\n", sharing::ShareCheckMessage(check),
                     settings.LastError().empty() ? "" : ": ", settings.LastError().c_str());
        return 1;
    }
    std::printf("%s\n Shared Count : %zu\n", sharing::ShareCheckMessage(check),
                settings.ShareCount());
    warnAboutGuestMapping(runner);
    return 0;
}

int shareList(int argc, char** argv) {
    const bool tsv = argc == 1 && std::strcmp(argv[0], "--tsv") == 0;
    if (argc > 0 && !tsv)
        return usage();
    SharingSettings settings;
    if (!load(settings, true))
        return 1;
    if (!tsv)
        std::printf("%-4s %-12s %-6s %-9s %s\n", "slot", "name", "type", "read-only", "path");
    for (std::size_t slot = 0; slot < SharingSettings::kMaxShares; ++slot) {
        const auto* s = settings.Share(slot);
        if (s == nullptr)
            continue;
        const std::string type = upper(s->mediaTypeName);
        const char* ro = s->readOnly ? "yes" : "no";
        if (tsv)
            std::printf("%zu\t%s\t%s\t%s\t%s\n", slot, s->name.c_str(), type.c_str(),
                        s->path.c_str(), ro);
        else
            std::printf("%-4zu %-12s %-6s %-9s %s\n", slot, s->name.c_str(), type.c_str(), ro,
                        s->path.c_str());
    }
    return 0;
}

int shareRemove(int argc, char** argv) {
    if (argc != 1)
        return usage();
    SharingSettings settings;
    if (!load(settings, true))
        return 1;
    for (std::size_t slot = 0; slot < SharingSettings::kMaxShares; ++slot) {
        const auto* s = settings.Share(slot);
        if (s == nullptr || !common::IniFile::namesEqual(s->name, argv[0]))
            continue;
        if (!settings.DeleteShare(slot)) {
            std::fprintf(stderr, "corvid: NetShareDel error: %s\n", settings.LastError().c_str());
            return 1;
        }
        std::printf("removed %s\n", argv[0]);
        return 0;
    }
    std::fprintf(stderr, "corvid: no share named %s\n", argv[0]);
    return 1;
}

// One line from the terminal without echo, or from standard input when it is no terminal.
std::string readPassword() {
    const bool tty = ::isatty(0) != 0;
    termios saved{};
    if (tty) {
        std::fprintf(stderr, "Password: ");
        ::tcgetattr(0, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(0, TCSAFLUSH, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (tty) {
        ::tcsetattr(0, TCSAFLUSH, &saved);
        std::fprintf(stderr, "\n");
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

int account(int argc, char** argv) {
    sharing::CommandRunner runner;
    sharing::SambaAccount samba(runner, SharingSettings::sambaConfigFile());
    SharingSettings settings;
    load(settings, false);
    std::string message;
    if (argc == 2 && std::strcmp(argv[0], "set") == 0) {
        const std::string user = argv[1];
        const std::string password = readPassword();
        if (password.size() > SharingSettings::kMaxPasswordLength) {
            std::fprintf(stderr, "corvid: the password is longer than 256 characters\n");
            return 1;
        }
        if (!samba.CreateAccount(user, password, message)) {
            std::fprintf(stderr, "corvid: %s\n", message.c_str());
            return 1;
        }
        if (!settings.SetAccount(user, password)) {
            std::fprintf(stderr, "corvid: the settings could not be written\n");
            return 1;
        }
        std::printf("account %s set\n", user.c_str());
        warnAboutGuestMapping(runner);
        return 0;
    }
    if (argc == 1 && std::strcmp(argv[0], "check") == 0) {
        warnAboutGuestMapping(runner);
        if (!samba.CheckAccount(settings.user, settings.password, message)) {
            std::fprintf(stderr, "corvid: %s\n", message.c_str());
            return 1;
        }
        std::printf("account %s accepted\n", settings.user.c_str());
        return 0;
    }
    return usage();
}

class PrintingObserver : public receiver::LinkObserver {
  public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "corvid: %s\n", text.c_str());
    }
    void SetStatus(receiver::LinkStatus status) override {
        static const char* const kNames[] = {"offline", "connecting wait...", "online"};
        std::printf("status: %s\n", kNames[static_cast<int>(status)]);
        std::fflush(stdout);
    }
};

int sendConfig(bool drop, int argc, char** argv) {
    SharingSettings settings;
    if (!load(settings, !drop))
        return 1;
    long port = receiver::CorvidletLink::kConfigurationPort;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--receiver" && i + 1 < argc) {
            in_addr parsed{};
            if (::inet_pton(AF_INET, argv[++i], &parsed) != 1 ||
                !settings.SetReceiverAddress(argv[i])) {
                std::fprintf(stderr, "corvid: not an IPv4 address: %s\n", argv[i]);
                return 2;
            }
        } else if (arg == "--port" && i + 1 < argc && number(argv[++i], 1, 65535, port)) {
        } else {
            return usage();
        }
    }
    if (settings.receiverAddress.empty()) {
        std::fprintf(stderr, "corvid: no receiver address; give --receiver ADDR\n");
        return 2;
    }
    sharing::CommandRunner runner;
    sharing::SambaAccount samba(runner, SharingSettings::sambaConfigFile());
    PrintingObserver observer;
    receiver::CorvidletLink link(
        settings,
        [&](const std::string& u, const std::string& p, std::string& why) {
            return samba.CheckAccount(u, p, why);
        },
        observer);
    link.SetPort(static_cast<std::uint16_t>(port));
    const int ok = drop ? link.SendDropConfiguration(true) : link.SendConfiguration(true);
    return ok == 1 ? 0 : 1;
}

int showSettings() {
    SharingSettings settings;
    load(settings, false);
    std::printf("settings file: %s\n", settings.settingsFile().c_str());
    std::printf(
        "ServerType=%u\nLogin=%u\nAutoStart=%u\nusevlc=%u\nvideobitrate=%u\n"
        "audiobitrate=%u\nUser=%s\nPass=%s\nip=%s\nvlcpath=%s\n",
        settings.serverType, settings.login, settings.autoStart, settings.useVlc,
        settings.videoBitrate, settings.audioBitrate, settings.user.c_str(),
        settings.password.empty() ? "(none)" : "(set, hidden)", settings.receiverAddress.c_str(),
        settings.vlcPath.c_str());
    std::printf("[Subtitle]\nAlign=%u\nRealSize=%u\nEffect=%u\nColor=%u\nFont=%s\n",
                settings.SubtitleAlign(), settings.SubtitleRealSize(), settings.SubtitleEffect(),
                settings.SubtitleColor(), settings.SubtitleFont().c_str());
    return 0;
}

int listen(int argc, char** argv) {
    long port = receiver::ControlListener::kPort;
    std::string address;
    std::string from;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--port" && i + 1 < argc && number(argv[++i], 0, 65535, port)) {
        } else if (arg == "--address" && i + 1 < argc) {
            address = argv[++i];
        } else if (arg == "--from" && i + 1 < argc) {
            from = argv[++i];
        } else {
            return usage();
        }
    }
    SharingSettings settings;
    load(settings, true);
    if (from.empty())
        from = settings.receiverAddress;
    if (from.empty()) {
        std::fprintf(stderr, "corvid: no receiver address to take requests from; give --from\n");
        return 2;
    }
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    receiver::LoggingControlHandler handler(stdout);
    receiver::ControlListener listener(handler, settings);
    listener.SetContentLookup(ShareContentLookup(settings));
    listener.SetLog(
        [](const std::string& line) { std::fprintf(stderr, "corvid: %s\n", line.c_str()); });
    std::string error;
    if (!listener.Open(address, static_cast<std::uint16_t>(port), from, &error)) {
        std::fprintf(stderr, "corvid: %s\n", error.c_str());
        return 1;
    }
    std::printf("listening: %u\n", listener.port());
    std::fflush(stdout);
    int received = 0;
    sigwait(&stopSignals, &received);
    listener.Close();
    return 0;
}

}  // namespace

const char* SharingUsage() {
    return "  corvid share add TYPE:PATH [--name NAME] [--read-only]\n"
           "  corvid share list [--tsv]\n"
           "  corvid share remove NAME\n"
           "  corvid account set USER      (password from the terminal or standard input)\n"
           "  corvid account check\n"
           "  corvid send-config [--receiver ADDR] [--port N]\n"
           "  corvid drop-config [--receiver ADDR] [--port N]\n"
           "  corvid settings\n"
           "  corvid listen [--port N] [--address IP] [--from ADDR]\n"
           "  TYPE is music, jpeg, video or record. $CORVID_SMB_CONF names a Samba configuration\n"
           "  of its own.\n";
}

int RunSharingCommand(int argc, char** argv) {
    if (argc < 1)
        return -1;
    const std::string command = argv[0];
    const bool sub = argc >= 2;
    if (command == "share" && sub && std::strcmp(argv[1], "add") == 0)
        return shareAdd(argc - 2, argv + 2);
    if (command == "share" && sub && std::strcmp(argv[1], "list") == 0)
        return shareList(argc - 2, argv + 2);
    if (command == "share" && sub && std::strcmp(argv[1], "remove") == 0)
        return shareRemove(argc - 2, argv + 2);
    if (command == "share")
        return usage();
    if (command == "account")
        return account(argc - 1, argv + 1);
    if (command == "send-config" || command == "drop-config")
        return sendConfig(command == "drop-config", argc - 1, argv + 1);
    if (command == "settings")
        return argc == 1 ? showSettings() : usage();
    if (command == "listen")
        return listen(argc - 1, argv + 1);
    return -1;
}

}  // namespace corvid::app
