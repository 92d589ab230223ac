#pragma once
// What a manager window tells the main window: that it opened or closed, or that the receiver
// restarts after a firmware upload (the main window reconnects). Every manager window reports
// through one ToolWindowNotify handed to it when it is made.

#include <functional>

namespace velkport::shell {

// The managers the function bar opens, one window slot each.
enum class Manager : int {
    Upgrade = 0,
    Mp3,
    Jpeg,
    Game,
    Record,
    Channel,
    RemoteControl,
};
inline constexpr int kManagerCount = 7;

struct ToolWindowEvent {
    enum class What { Opened, Closed, ReceiverRestarts };

    Manager window = Manager::Upgrade;
    What what = What::Closed;
    bool operator==(const ToolWindowEvent&) const = default;
};

using ToolWindowNotify = std::function<void(ToolWindowEvent)>;

}  // namespace velkport::shell
