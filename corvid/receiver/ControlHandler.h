#pragma once
// What corvidlet's control requests ask of Corvid: start, steer and stop the VLC stream to the
// receiver. The listener checks and resolves every request before it reaches a handler, so a
// handler gets only a file inside a share and a command of its range. The calls come on the
// listener's own thread, one at a time.

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvid::receiver {

class ControlHandler {
  public:
    virtual ~ControlHandler() = default;
    // Command 1: stop any running stream, write the playlist for file streamed to destination
    // (an IPv4 address text) and start VLC when the playlist was written.
    virtual void Play(const std::string& destination, const std::filesystem::path& file) = 0;
    // Commands 2 to 8: VLC's key command of that number.
    virtual void Steer(std::uint32_t command) = 0;
    // Command 9: stop VLC.
    virtual void Stop() = 0;
};

}  // namespace corvid::receiver
