#include "velkport/recordings/playback/PlayerState.h"

#include <algorithm>

#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::recordings::playback {

namespace {

struct StateLook {
    int message;
    std::uint32_t colour;
};

constexpr StateLook kLooks[] = {
    {229, 0x0000FF},  // 0 nothing
    {230, 0xFFFF00},  // 1 ready
    {226, 0xFFFF00},  // 2 playing
    {286, 0xFFFF00},  // 3 buffering
    {285, 0x00FF00},  // 4 paused
    {228, 0xFF0000},  // 5 stopped
    {286, 0xFFFF00},  // 6 buffering
    {287, 0xFF0000},  // 7 error
};
constexpr StateLook kUnknown{229, 0x00FFFF};

const StateLook& Look(int state) {
    return state >= 0 && state < static_cast<int>(std::size(kLooks)) ? kLooks[state] : kUnknown;
}

}  // namespace

int StateMessage(int state) {
    return Look(state).message;
}

std::uint32_t StateColour(int state) {
    return Look(state).colour;
}

std::string StateText(int state) {
    return shell::Msg(StateMessage(state));
}

int ClampVolume(int volume) {
    return std::clamp(volume, 0, kVolumeMax);
}

}  // namespace velkport::recordings::playback
