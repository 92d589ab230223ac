#pragma once
// The main window's function bar without its window: which manager buttons are shown and
// enabled, where the bar and each manager window go on the screen, and what a tool window's
// notification asks the main window to do.

#include <array>
#include <cstdint>

#include "velkport/shell/base/ToolWindowEvent.h"

namespace velkport::shell {

// The command channel each manager asks with the in-use query (-1: none).
int ManagerChannel(Manager m);

// What the main window does on a tool window's event.
enum class ToolWindowAction {
    ReleaseWindow,  // the window named by the event goes and its slot is free
    Reconnect,      // the Upgrade window goes and the receiver is connected again
    Nothing,
};

// The buttons of the bar. Samba and Corvid open no manager window of their own.
enum class Button : int { Channel = 0, Upgrade, Record, Mp3, Jpeg, Samba, Game, Rmc, Corvid };
inline constexpr int kButtonCount = 9;

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

class FunctionBar {
  public:
    FunctionBar();

    bool online() const { return online_; }
    void setOnline(bool online) { online_ = online; }

    bool hasWindow(Manager m) const { return windows_[index(m)]; }
    void setWindow(Manager m, bool exists) { windows_[index(m)] = exists; }

    // Managers whose window this program has; the others' buttons stay disabled.
    bool available(Manager m) const { return available_[index(m)]; }
    void setAvailable(Manager m, bool available) { available_[index(m)] = available; }

    // The shipped bar shows only Channel and Upgrade; "Show all managers" shows the rest.
    bool showAll() const { return showAll_; }
    void setShowAll(bool show) { showAll_ = show; }

    // The RMC button is turned off for good when the user declines to open it offline.
    void disableRemoteControl() { rmcRefused_ = true; }

    bool enabled(Button b) const;
    bool visible(Button b) const;

    // The event of a tool window: takes or frees the slot it names and says what else to do.
    ToolWindowAction onToolWindowEvent(ToolWindowEvent event);

  private:
    static int index(Manager m) { return static_cast<int>(m); }

    bool online_ = false;
    bool showAll_ = false;
    bool rmcRefused_ = false;
    std::array<bool, kManagerCount> windows_{};
    std::array<bool, kManagerCount> available_{};
};

// The main window: 222 x 100 at the bottom right of the screen.
Rect FunctionBarGeometry(const Rect& screen);
// Where a newly created manager window goes, given the size it was created with.
Rect ManagerPlacement(Manager m, const Rect& screen, int width, int height);
// Centred on the screen (an open manager is moved there when its button is pressed again).
Rect CentredOn(const Rect& screen, int width, int height);

}  // namespace velkport::shell
