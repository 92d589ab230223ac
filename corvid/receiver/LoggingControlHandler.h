#pragma once
// A ControlHandler that only writes one line per request, for `corvid listen` and until VLC
// streaming is wired in.

#include <cstdio>
#include <mutex>

#include "corvid/receiver/ControlHandler.h"

namespace corvid::receiver {

class LoggingControlHandler : public ControlHandler {
  public:
    explicit LoggingControlHandler(std::FILE* out) : out_(out) {}
    void Play(const std::string& destination, const std::filesystem::path& file) override;
    void Steer(std::uint32_t command) override;
    void Stop() override;

  private:
    std::FILE* out_;
    std::mutex mutex_;
};

}  // namespace corvid::receiver
