#include "velkport/shell/ui/ReceiverLinkProbe.h"

#include "velkport/link/ReceiverLink.h"

namespace velkport::shell {

bool ReceiverLinkProbe::ChannelReady(int channel) {
    return link::ReceiverLink(table_, prompter_).ChannelReady(static_cast<std::uint8_t>(channel));
}

bool ReceiverLinkProbe::InUse(int channel) {
    return link::ReceiverLink(table_, prompter_).InUse(static_cast<std::uint8_t>(channel));
}

}  // namespace velkport::shell
