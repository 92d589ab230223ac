#include "corvid/receiver/LoggingControlHandler.h"

namespace corvid::receiver {

void LoggingControlHandler::Play(const std::string& destination,
                                 const std::filesystem::path& file) {
    std::lock_guard lock(mutex_);
    std::fprintf(out_, "play %s %s\n", destination.c_str(), file.c_str());
    std::fflush(out_);
}

void LoggingControlHandler::Steer(std::uint32_t command) {
    std::lock_guard lock(mutex_);
    std::fprintf(out_, "key %u\n", command);
    std::fflush(out_);
}

void LoggingControlHandler::Stop() {
    std::lock_guard lock(mutex_);
    std::fprintf(out_, "stop\n");
    std::fflush(out_);
}

}  // namespace corvid::receiver
