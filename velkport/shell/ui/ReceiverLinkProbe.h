#pragma once
// The main window's questions to the receiver, asked on its command channels.

#include "velkport/link/ChannelTable.h"
#include "velkport/shell/MainWindowLogic.h"

namespace velkport::shell {

class ReceiverLinkProbe : public ReceiverProbe {
  public:
    ReceiverLinkProbe(link::ChannelTable& table, Prompter& prompter)
        : table_(table), prompter_(prompter) {}
    bool ChannelReady(int channel) override;
    bool InUse(int channel) override;

  private:
    link::ChannelTable& table_;
    Prompter& prompter_;
};

}  // namespace velkport::shell
