#pragma once
// The player's states as its window shows them: the text (a message of the catalogue) and its
// colour in the state line; and the volume steps.

#include <cstdint>
#include <string>

namespace velkport::recordings::playback {

enum class PlayerState {
    Nothing = 0,
    Ready = 1,
    Playing = 2,
    Buffering = 3,
    Paused = 4,
    Stopped = 5,
    Buffering2 = 6,
    Error = 7,
};

// The message id of a state's text: 229 "Nothing", 230 "Ready", 226 "Play", 286 "BUFFERING",
// 285 "PAUSE", 228 "Stop", 287 "ERROR"; an unknown code shows "Nothing".
int StateMessage(int state);
// The state line's colour as 0xRRGGBB; an unknown code is cyan (00FFFF).
std::uint32_t StateColour(int state);
// The text in the current language.
std::string StateText(int state);

inline constexpr int kVolumeStep = 5;
inline constexpr int kVolumeMax = 100;
// The volume after a change, kept within 0..100.
int ClampVolume(int volume);

}  // namespace velkport::recordings::playback
