#include "corvid/sharing/desktop/VlcControlHandler.h"

namespace corvid::sharing {

void VlcControlHandler::Play(const std::string& destination, const std::filesystem::path& file) {
    std::string error;
    if (!streamer_.Play(destination, file, &error) && log_)
        log_("VLC does not stream " + file.string() + ": " + error);
}

void VlcControlHandler::Steer(std::uint32_t command) {
    if (!streamer_.Steer(command) && log_)
        log_("no VLC runs to take command " + std::to_string(command));
}

void VlcControlHandler::Stop() {
    streamer_.Stop();
}

}  // namespace corvid::sharing
