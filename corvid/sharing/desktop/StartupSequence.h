#pragma once
// What Corvid does once its window is open: run the wizard while it is not configured, take a
// new receiver address from its argument, and arm one of two one-second timers. Started with
// the session (automatic start on, no argument) it stays hidden and starts the server silently
// once the PC has a network address; started by hand or by Velkport it starts the server with
// messages once the network is up. Both timers retry every second until then.

#include <functional>
#include <string>

namespace corvid::sharing {

class SharingSettings;

class StartupSequence {
  public:
    enum class Action { Wizard, AutomaticStart, InteractiveStart };
    static constexpr int kIntervalMs = 1000;

    using NetworkCheck = std::function<bool()>;
    using Starter = std::function<void(bool showMessages)>;

    StartupSequence(NetworkCheck networkUp, Starter startServer)
        : networkUp_(std::move(networkUp)), startServer_(std::move(startServer)) {}

    // The argument of a command line: the text after its last space (the last argument).
    static std::string ArgumentOf(int argc, const char* const* argv);
    // The wizard when no server type is chosen or no share is listed; else the argument (at
    // least 7 characters, different from the stored one) becomes the receiver address, and the
    // start is automatic when auto start is on and no argument came.
    static Action Decide(SharingSettings& settings, const std::string& argument);

    // Arms the timer of an action (the wizard arms none).
    void Arm(Action action);
    bool Armed() const { return armed_; }
    // One timer tick: starts the server when the network is up; true while still armed.
    bool Tick();

    // True when the PC has an address other than loopback on the way to the receiver (or the
    // receiver is on loopback itself).
    static bool NetworkUp(const std::string& receiverAddress);

  private:
    NetworkCheck networkUp_;
    Starter startServer_;
    bool armed_ = false;
    bool showMessages_ = false;
};

}  // namespace corvid::sharing
