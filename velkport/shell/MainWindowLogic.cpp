#include "velkport/shell/MainWindowLogic.h"

#include <cstdio>

#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::shell {

namespace {

struct OpenRule {
    bool readyCheck;  // ChannelReady first, message 235 when not ready
    bool askOffline;  // offline: question 236 (otherwise the online checks run anyway)
    int busyMessage;  // in-use query message, 0: no query
};

OpenRule RuleFor(Manager m) {
    switch (m) {
        case Manager::Upgrade:
            return {true, false, 0};
        case Manager::Mp3:
            return {false, true, 237};
        case Manager::Jpeg:
            return {false, true, 238};
        case Manager::Game:
            return {true, false, 239};
        case Manager::Record:
            return {false, true, 240};
        case Manager::Channel:
            return {false, true, 241};
        case Manager::RemoteControl:
            return {false, true, 0};
    }
    return {false, false, 0};
}

}  // namespace

OpenCheck MainWindowLogic::CheckOpen(Manager m, ReceiverProbe& probe) {
    if (bar_.hasWindow(m))
        return OpenCheck::Raise;
    const OpenRule rule = RuleFor(m);
    const int channel = ManagerChannel(m);
    if (!bar_.online() && rule.askOffline) {
        if (prompter_.askYesNo(Msg(236)))
            return OpenCheck::Open;
        if (m == Manager::RemoteControl)
            bar_.disableRemoteControl();
        return OpenCheck::Refused;
    }
    if (rule.readyCheck && !probe.ChannelReady(channel)) {
        prompter_.showMessage(Msg(235), PromptIcon::Error);
        return OpenCheck::Refused;
    }
    if (rule.busyMessage != 0 && probe.InUse(channel)) {
        prompter_.showMessage(Msg(rule.busyMessage), PromptIcon::Error);
        return OpenCheck::Refused;
    }
    return OpenCheck::Open;
}

bool MainWindowLogic::InitialiseChannels(const ChannelInitialiser& initialise) {
    bar_.setOnline(false);
    if (app_.receiverAddress.empty())
        return false;
    if (!initialise(app_.receiverAddress, app_.portBase)) {
        prompter_.showMessage(Msg(211), PromptIcon::Error);
        return false;
    }
    bar_.setOnline(true);
    return true;
}

std::optional<std::uint32_t> MainWindowLogic::CorvidParameter() {
    auto packed = PackReceiverAddress(app_.receiverAddress);
    if (!packed)
        prompter_.showMessage("This is not IP address", PromptIcon::Error);
    return packed;
}

std::optional<std::uint32_t> PackReceiverAddress(const std::string& address) {
    int a = 0, b = 0, c = 0, d = 0;
    if (std::sscanf(address.c_str(), "%d.%d.%d.%d", &a, &b, &c, &d) != 4)
        return std::nullopt;
    // Unsigned arithmetic: out-of-range parts wrap as the receiver-side reader would see them.
    return static_cast<std::uint32_t>(a) * 0x1000000u + static_cast<std::uint32_t>(b) * 0x10000u +
           static_cast<std::uint32_t>(c) * 0x100u + static_cast<std::uint32_t>(d);
}

}  // namespace velkport::shell
