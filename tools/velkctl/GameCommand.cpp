// game info / install: a game or plug-in image's header, and its install over channel 4.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/velkctl/TerminalProgressBar.h"
#include "tools/velkctl/Velkctl.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/upgrade/GameInstaller.h"

namespace velkctl {

namespace {

namespace up = velkport::upgrade;

int RunGame(Context& context, const std::vector<std::string>& args) {
    constexpr const char* kName = "game";
    if (args.size() != 2 || (args[0] != "info" && args[0] != "install"))
        return UsageError(kName, "game needs info FILE or install FILE");
    if (args[0] == "install" && context.app.receiverAddress.empty())
        return UsageError(kName, "Input IP address (--receiver ADDR or $VELK_RECEIVER)");
    velkport::link::ChannelTable table;
    table.InitialiseChannels(context.app.receiverAddress, context.app.portBase);
    table.setTimeLimit(context.timeout);
    table.setPrompter(context.prompter);
    up::GameInstaller installer(table, *context.prompter);
    const auto choice = installer.ChooseFile(args[1]);
    if (choice == up::GameInstaller::Choice::Ignored) {
        context.prompter->showMessage(args[1] + ": a .tar.gz is not a game image",
                                      velkport::shell::PromptIcon::Error);
        return kExitFailure;
    }
    if (choice != up::GameInstaller::Choice::Accepted)
        return kExitFailure;
    const auto& h = installer.header();
    if (args[0] == "info") {
        std::printf("%s\n%s\n%s\n%s\n", h.NameLine().c_str(), h.VersionLine().c_str(),
                    h.SizeLine().c_str(), h.GuidLine().c_str());
        return kExitOk;
    }
    TerminalProgressBar bar;
    const int r = installer.Install(bar);
    table.ShutdownChannels();
    return r == velkport::media::kTransferDone ? kExitOk : kExitFailure;
}

const Registration kGame({
    "game",
    "game info|install FILE",
    "Game and plug-in images: show the header, install on the receiver.",
    "  game info FILE                       the header's name, version, installed size and\n"
    "                                       GUID, one per line.\n"
    "  game install FILE                    install the image on the receiver (channel 4).\n",
    false,
    RunGame,
});

}  // namespace

}  // namespace velkctl
