// receiver-sim: the emulated receiver as a program.
//   receiver-sim --root DIR [--address 127.0.0.1] [--ftp-port N] [--port-base N] [--pin PIN]
//                [--user root] [--busy CH]... [--disk-size MIB] [--refuse-games] | --help
// Prints the ports it chose on standard error and one line "ready" on standard output once it
// listens; stops cleanly on SIGINT or SIGTERM. Port 0 picks free ports.
#include <pthread.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "tools/receiver-sim/CorvidletService.h"
#include "tools/receiver-sim/ReceiverSim.h"

namespace {

void usage(std::ostream& out = std::cerr) {
    out << "usage: receiver-sim --root DIR [--address 127.0.0.1] [--ftp-port N]"
           " [--port-base N] [--pin PIN] [--user root] [--busy CH]..."
           " [--disk-size MIB] [--refuse-games]\n";
}

void help() {
    usage(std::cout);
    std::cout
        << "\nThe emulated receiver: its FTP server and command channels 0-5, serving DIR as\n"
           "the receiver's disk. Prints \"ready\" once it listens; SIGINT or SIGTERM stop it.\n"
           "\n"
           "  --root DIR      the receiver's disk (the FTP root); recordings live in\n"
           "                  DIR/recordings/tv and DIR/recordings/radio\n"
           "  --address IP    the address to listen on (default: 127.0.0.1)\n"
           "  --ftp-port N    the FTP server's port; 0 picks a free one (default: 21)\n"
           "  --port-base N   command channel n listens on N + n; 0 picks a free run\n"
           "                  (default: 34000)\n"
           "  --pin PIN       the pin code the logon needs (default: 0000)\n"
           "  --user ID       the user id the logon needs (default: root)\n"
           "  --busy CH       channel CH (0-5) answers the in-use query with busy; may be\n"
           "                  given several times\n"
           "  --disk-size MIB the size of the disk the MP3 and JPEG areas (DIR/mp3,\n"
           "                  DIR/jpeg) and game installs (DIR/games) fill; what is stored\n"
           "                  under DIR counts as used (default: 250000)\n"
           "  --refuse-games  the game install query answers with a refusal\n"
           "  --corvid A:P    where \"control play DEST LOCATION\", \"control key N\" and\n"
           "                  \"control stop\" lines on standard input are sent; corvidlet's\n"
           "                  configuration sessions (port base + 6) land in DIR/corvidlet/\n"
           "  --help          this text\n";
}

bool number(const std::string& text, long low, long high, long& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    out = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    receiversim::SimOptions options;
    options.ftpPort = 21;
    options.portBase = 34000;
    bool haveRoot = false;
    std::string corvid;  // where "control ..." lines on standard input are sent
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            help();
            return 0;
        }
        if (arg == "--refuse-games") {
            options.refuseGames = true;
            continue;
        }
        if (i + 1 >= argc) {
            usage();
            return 2;
        }
        const std::string value = argv[++i];
        long n = 0;
        if (arg == "--root") {
            options.root = value;
            haveRoot = true;
        } else if (arg == "--address") {
            options.address = value;
        } else if (arg == "--ftp-port" && number(value, 0, 65535, n)) {
            options.ftpPort = static_cast<std::uint16_t>(n);
        } else if (arg == "--port-base" && number(value, 0, 65530, n)) {
            options.portBase = static_cast<std::uint16_t>(n);
        } else if (arg == "--corvid") {
            corvid = value;
        } else if (arg == "--pin") {
            options.pin = value;
        } else if (arg == "--user") {
            options.user = value;
        } else if (arg == "--disk-size" && number(value, 1, 1L << 40, n)) {
            options.diskSizeMiB = static_cast<std::uint64_t>(n);
        } else if (arg == "--busy" && number(value, 0, 5, n)) {
            options.busyChannels.insert(static_cast<int>(n));
        } else {
            usage();
            return 2;
        }
    }
    if (!haveRoot) {
        usage();
        return 2;
    }

    // The signals are taken by sigwait below, not by a handler: block them before any thread
    // starts so that every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    receiversim::ReceiverSim sim(options);
    std::string error;
    if (!sim.start(&error)) {
        std::cerr << "receiver-sim: " << error << "\n";
        return 1;
    }
    std::cerr << "receiver-sim: address " << sim.address() << ", FTP port " << sim.ftpPort()
              << ", command channels " << sim.portBase() << "-" << sim.portBase() + 5 << "\n";
    // corvidlet listens beside the command channels and takes control lines on standard input.
    receiversim::CorvidletService corvidlet(sim.root(), sim.address());
    if (sim.portBase() <= 65535 - 6 &&
        corvidlet.start(static_cast<std::uint16_t>(sim.portBase() + 6), &error)) {
        std::cerr << "receiver-sim: corvidlet port " << corvidlet.port() << "\n";
        corvidlet.startControlInput(0, corvid);
    } else {
        std::cerr << "receiver-sim: no corvidlet: " << error << "\n";
    }
    std::fputs("ready\n", stdout);
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    corvidlet.stop();
    sim.stop();
    std::cerr << "receiver-sim: stopped\n";
    return 0;
}
