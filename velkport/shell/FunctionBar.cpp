#include "velkport/shell/FunctionBar.h"

namespace velkport::shell {

int ManagerChannel(Manager m) {
    switch (m) {
        case Manager::Upgrade:
            return 1;
        case Manager::Mp3:
            return 2;
        case Manager::Jpeg:
            return 3;
        case Manager::Game:
        case Manager::Channel:
            return 4;
        case Manager::Record:
            return 5;
        case Manager::RemoteControl:
            return -1;
    }
    return -1;
}

FunctionBar::FunctionBar() {
    // The remote-control page is the receiver's own; it needs no window of ours to exist.
    available_[index(Manager::RemoteControl)] = true;
}

bool FunctionBar::enabled(Button b) const {
    switch (b) {
        case Button::Upgrade:
            return online_ && available(Manager::Upgrade);
        case Button::Mp3:
            return available(Manager::Mp3);
        case Button::Jpeg:
            return available(Manager::Jpeg);
        case Button::Record:
            return available(Manager::Record);
        case Button::Game:
            return online_ && !hasWindow(Manager::Game) && available(Manager::Game);
        case Button::Channel:
            return !hasWindow(Manager::Channel) && available(Manager::Channel);
        case Button::Samba:
        case Button::Corvid:
            return online_;
        case Button::Rmc:
            return !rmcRefused_;
    }
    return false;
}

bool FunctionBar::visible(Button b) const {
    return showAll_ || b == Button::Channel || b == Button::Upgrade;
}

ToolWindowAction FunctionBar::onToolWindowEvent(ToolWindowEvent event) {
    using What = ToolWindowEvent::What;
    switch (event.what) {
        case What::Opened:
            setWindow(event.window, true);
            return ToolWindowAction::Nothing;
        case What::Closed:
            setWindow(event.window, false);
            return ToolWindowAction::ReleaseWindow;
        case What::ReceiverRestarts:
            setWindow(Manager::Upgrade, false);
            return ToolWindowAction::Reconnect;
    }
    return ToolWindowAction::Nothing;
}

Rect FunctionBarGeometry(const Rect& screen) {
    return {screen.x + screen.width - 252, screen.y + screen.height - 130, 222, 100};
}

Rect CentredOn(const Rect& screen, int width, int height) {
    return {screen.x + (screen.width - width) / 2, screen.y + (screen.height - height) / 2, width,
            height};
}

Rect ManagerPlacement(Manager m, const Rect& screen, int width, int height) {
    switch (m) {
        case Manager::Mp3:
        case Manager::Record:
            if (screen.width >= 900 && screen.height >= 700)
                return CentredOn(screen, 900, 700);
            return screen;
        case Manager::Jpeg: {
            Rect r = CentredOn(screen, width, height);
            r.x += 20;
            r.y += 30;
            return r;
        }
        default:
            return CentredOn(screen, width, height);
    }
}

}  // namespace velkport::shell
