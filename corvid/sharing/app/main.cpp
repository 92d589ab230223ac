// corvid: Corvid's program. "corvid [ADDRESS]" runs the desktop program (DesktopProgram); for
// home servers without a desktop
//   corvid serve [--share TYPE:PATH]... [--interface IF | --address IP] [--port N]
// publishes the shares as a UPnP AV MediaServer, prints "description: URL" once it is advertised
// and runs until SIGINT or SIGTERM. The File Sharing Server commands (shares, account, the
// corvidlet link) are in SharingCommands.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "corvid/server/UpnpAdapter.h"
#include "corvid/server/UpnpStack.h"
#include "corvid/sharing/MediaType.h"
#include "corvid/sharing/SharingSettings.h"
#include "corvid/sharing/app/DesktopProgram.h"
#include "corvid/sharing/app/SharingCommands.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: corvid serve [--share TYPE:PATH]... [--interface IF | --address IP] "
                 "[--port N]\n"
                 "  TYPE is one of music, jpeg, video, record; without --share the stored share "
                 "list is served.\n"
                 "  corvid [ADDRESS]            the desktop program (one per user)\n%s",
                 corvid::app::SharingUsage());
    return 2;
}

// The web folder: $CORVID_HOME/web, else share/corvid/web beside the program's folder.
std::string webDirectory() {
    if (const char* home = std::getenv("CORVID_HOME"); home != nullptr && *home != '\0')
        return (std::filesystem::path(home) / "web").string();
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./webdir";
    return (exe.parent_path().parent_path() / "share" / "corvid" / "web").lexically_normal();
}

int serve(int argc, char** argv) {
    std::vector<std::pair<std::string, std::string>> shares;
    std::string interfaceName;
    std::string address;
    long port = 0;
    bool sharesGiven = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--share" && hasValue) {
            const std::string value = argv[++i];
            const auto colon = value.find(':');
            if (colon == std::string::npos || colon + 1 == value.size())
                return usage();
            const std::string type = value.substr(0, colon);
            if (!corvid::sharing::mediaTypeFromName(type)) {
                std::fprintf(stderr, "corvid: unknown share type \"%s\"\n", type.c_str());
                return usage();
            }
            const std::string folder = value.substr(colon + 1);
            std::error_code ec;
            if (!std::filesystem::is_directory(folder, ec) ||
                access(folder.c_str(), R_OK | X_OK) != 0) {
                std::fprintf(stderr,
                             "corvid: the shared folder \"%s\" does not exist or cannot be read "
                             "(give a full path: the shell does not expand ~ after \"%s:\")\n",
                             folder.c_str(), type.c_str());
                return 2;
            }
            shares.emplace_back(folder, type);
            sharesGiven = true;
        } else if (arg == "--interface" && hasValue) {
            interfaceName = argv[++i];
        } else if (arg == "--address" && hasValue) {
            address = argv[++i];
        } else if (arg == "--port" && hasValue) {
            char* end = nullptr;
            port = std::strtol(argv[++i], &end, 10);
            if (end == nullptr || *end != '\0' || port < 0 || port > 65535)
                return usage();
        } else {
            return usage();
        }
    }
    if (!interfaceName.empty() && !address.empty())
        return usage();

    if (!sharesGiven) {
        corvid::sharing::SharingSettings settings;
        settings.LoadShares();
        for (std::size_t slot = 0; slot < corvid::sharing::SharingSettings::kMaxShares; ++slot) {
            const auto* share = settings.Share(slot);
            if (share != nullptr && corvid::sharing::mediaTypeFromName(share->mediaTypeName))
                shares.emplace_back(share->path, share->mediaTypeName);
        }
    }

    // The stack's threads inherit this mask, so the signals reach only sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    auto& stack = corvid::server::UpnpStack::Instance();
    stack.SetRequestedInterface(interfaceName);
    stack.SetRequestedAddress(address);
    stack.SetRequestedPort(static_cast<std::uint16_t>(port));
    const int rc = stack.Start(webDirectory(), shares);
    if (rc != 0) {
        std::fprintf(stderr, "corvid: the UPnP server did not start: %s (%d)\n",
                     corvid::server::upnp::errorMessage(rc), rc);
        return 1;
    }
    std::printf("description: %s\n", stack.DescriptionUrl().c_str());
    std::fflush(stdout);

    int received = 0;
    // SIGHUP scans the shares again; SIGINT and SIGTERM stop the server.
    while (sigwait(&stopSignals, &received) == 0 && received == SIGHUP)
        stack.Rescan();
    stack.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef CORVID_HAVE_DESKTOP
    if (corvid::app::IsDesktopStart(argc, argv))
        return corvid::app::RunDesktop(argc, argv);
#endif
    if (argc >= 2 && std::strcmp(argv[1], "serve") == 0)
        return serve(argc - 2, argv + 2);
    if (const int rc = corvid::app::RunSharingCommand(argc - 1, argv + 1); rc >= 0)
        return rc;
    return usage();
}
