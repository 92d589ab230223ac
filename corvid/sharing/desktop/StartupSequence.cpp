#include "corvid/sharing/desktop/StartupSequence.h"

#include "corvid/receiver/CorvidletLink.h"
#include "corvid/sharing/SharingSettings.h"

namespace corvid::sharing {

std::string StartupSequence::ArgumentOf(int argc, const char* const* argv) {
    if (argc < 2 || argv[argc - 1] == nullptr)
        return {};
    const std::string last = argv[argc - 1];
    const auto space = last.rfind(' ');
    return space == std::string::npos ? last : last.substr(space + 1);
}

StartupSequence::Action StartupSequence::Decide(SharingSettings& settings,
                                                const std::string& argument) {
    if ((settings.serverType != 1 && settings.serverType != 2) || settings.ShareCount() == 0)
        return Action::Wizard;
    if (argument.size() >= 7 && argument != settings.receiverAddress)
        settings.SetReceiverAddress(argument);
    return settings.autoStart != 0 && argument.empty() ? Action::AutomaticStart
                                                       : Action::InteractiveStart;
}

void StartupSequence::Arm(Action action) {
    armed_ = action != Action::Wizard;
    showMessages_ = action == Action::InteractiveStart;
}

bool StartupSequence::Tick() {
    if (!armed_)
        return false;
    if (!networkUp_ || !networkUp_())
        return true;  // again in a second
    armed_ = false;
    if (startServer_)
        startServer_(showMessages_);
    return false;
}

bool StartupSequence::NetworkUp(const std::string& receiverAddress) {
    if (receiverAddress.rfind("127.", 0) == 0)
        return true;  // an emulated receiver on this PC needs no network
    const auto pc = receiver::CorvidletLink::CheckNetwork(receiverAddress);
    return !pc.address.empty() && pc.address.rfind("127.", 0) != 0;
}

}  // namespace corvid::sharing
