#pragma once
// corvidlet's control requests carried out by the VLC streamer: 1 play, 2 to 8 steer, 9 stop.

#include <functional>
#include <string>

#include "corvid/receiver/ControlHandler.h"
#include "corvid/sharing/VlcStreamer.h"

namespace corvid::sharing {

class VlcControlHandler : public receiver::ControlHandler {
  public:
    // log: one line for every request that could not be carried out.
    VlcControlHandler(VlcStreamer& streamer, std::function<void(const std::string&)> log = {})
        : streamer_(streamer), log_(std::move(log)) {}

    void Play(const std::string& destination, const std::filesystem::path& file) override;
    void Steer(std::uint32_t command) override;
    void Stop() override;

  private:
    VlcStreamer& streamer_;
    std::function<void(const std::string&)> log_;
};

}  // namespace corvid::sharing
