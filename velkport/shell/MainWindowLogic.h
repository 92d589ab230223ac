#pragma once
// What the main window decides, apart from drawing it: whether a manager may open (the in-use
// query and the readiness check), the channel start-up at the first timer tick, and the
// receiver address as the number Corvid takes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "velkport/shell/FunctionBar.h"
#include "velkport/shell/base/AppContext.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::shell {

// The two questions the main window asks the receiver before a manager opens.
class ReceiverProbe {
  public:
    virtual ~ReceiverProbe() = default;
    virtual bool ChannelReady(int channel) = 0;
    // The in-use query (0xFD) on a channel: true when the receiver has that function in use.
    virtual bool InUse(int channel) = 0;
};

enum class OpenCheck {
    Raise,    // the window exists: move it to the centre of the screen, nothing else
    Open,     // create the window
    Refused,  // a message was shown or the user said No
};

// Starts the command channels for a receiver: InitialiseChannels(address, portBase).
using ChannelInitialiser = std::function<bool(const std::string& address, std::uint16_t portBase)>;

class MainWindowLogic {
  public:
    MainWindowLogic(AppContext& app, Prompter& prompter) : app_(app), prompter_(prompter) {}

    FunctionBar& bar() { return bar_; }
    const FunctionBar& bar() const { return bar_; }
    AppContext& app() { return app_; }

    // Pressing a manager's button.
    OpenCheck CheckOpen(Manager m, ReceiverProbe& probe);

    // The first tick of the one-second timer (and the end of a reconnect): offline, then online
    // when there is a receiver address and its channels start. Returns the new online value.
    bool InitialiseChannels(const ChannelInitialiser& initialise);

    // The Corvid command's parameter for the current address; "This is not IP address" when
    // the address is not four dotted numbers.
    std::optional<std::uint32_t> CorvidParameter();

  private:
    AppContext& app_;
    Prompter& prompter_;
    FunctionBar bar_;
};

// The address a.b.c.d read as four decimal numbers, first number in the most significant byte
// (192.168.1.20 gives 0xC0A80114). Read the way "%d.%d.%d.%d" reads it.
std::optional<std::uint32_t> PackReceiverAddress(const std::string& address);

}  // namespace velkport::shell
