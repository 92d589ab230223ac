// Feeds arbitrary bytes to the control channel: the request parser, and the listener's reading
// of a connection (through a socket pair) with its dispatch and play-location checks.
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "common/Socket.h"
#include "corvid/receiver/ControlListener.h"
#include "corvid/receiver/ControlRequest.h"
#include "corvid/sharing/SharingSettings.h"

namespace {

using namespace corvid;

class TmpShare : public sharing::ShareSystem {
  public:
    bool List(std::vector<sharing::ShareRecord>& out, std::string&) override {
        out = {{"Tmp", 0, "video", std::filesystem::temp_directory_path().string(), 1}};
        return true;
    }
    bool Create(const sharing::ShareRecord&, const std::string&, std::string&) override {
        return false;
    }
    bool Remove(const sharing::ShareRecord&, const std::string&, bool, std::string&) override {
        return false;
    }
};

class Ignore : public receiver::ControlHandler {
  public:
    void Play(const std::string& destination, const std::filesystem::path& file) override {
        if (destination.size() > 16 || !file.is_absolute())
            std::abort();
    }
    void Steer(std::uint32_t command) override {
        if (command < 2 || command > 8)
            std::abort();
    }
    void Stop() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TmpShare system;
    static sharing::SharingSettings settings("/nonexistent/corvid-fuzz", &system);
    static bool loaded = settings.LoadShares();
    static Ignore handler;
    static receiver::ControlListener listener(handler, settings);
    (void)loaded;

    const auto request = receiver::ControlRequest::Parse(std::span(data, size));
    if (request && (size < 24 || size > 16384 || request->location.size() != size - 24))
        std::abort();

    // The listener reads what one connection sends before it closes.
    size = std::min<std::size_t>(size, 20000);
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return 0;
    common::Socket reader(fds[0]);
    common::Socket writer(fds[1]);
    writer.sendAll(data, size, std::chrono::milliseconds(100));
    writer.close();
    listener.SetTimeLimit(std::chrono::milliseconds(100));
    listener.Serve(reader);
    return 0;
}
