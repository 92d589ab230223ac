#pragma once
// Starting the chosen server: the control listener for corvidlet's play requests is opened
// anew, then either the File Sharing Server hands shares and account to corvidlet, or the UPnP
// AV Server starts on the shares (after corvidlet has been told to drop a file-sharing
// configuration). Reset tells corvidlet to drop its configuration. Messages go to the message
// sink only when the caller asks for them; the status goes to the status sink.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "corvid/receiver/ControlListener.h"
#include "corvid/receiver/CorvidletLink.h"
#include "corvid/receiver/LinkObserver.h"
#include "corvid/sharing/VlcStreamer.h"
#include "corvid/sharing/desktop/VlcControlHandler.h"

namespace corvid::sharing {

class CommandRunner;
class SharingSettings;

class ServerControl : private receiver::LinkObserver {
  public:
    using MessageSink = std::function<void(const std::string&)>;
    using StatusSink = std::function<void(receiver::LinkStatus)>;

    // settings must outlive the control; webDirectory holds the service descriptions.
    ServerControl(SharingSettings& settings, std::string webDirectory);
    ~ServerControl() override;
    ServerControl(const ServerControl&) = delete;
    ServerControl& operator=(const ServerControl&) = delete;

    void SetMessageSink(MessageSink sink) { messages_ = std::move(sink); }
    void SetStatusSink(StatusSink sink) { statusSink_ = std::move(sink); }
    // The ports of the two corvidlet channels (tests use free ones).
    void SetControlPort(std::uint16_t port) { controlPort_ = port; }
    void SetConfigurationPort(std::uint16_t port) { link_.SetPort(port); }
    // How the account is checked before a hand-over (default: Samba on this PC).
    void SetAccountCheck(receiver::CorvidletLink::AccountCheck check) {
        accountCheck_ = std::move(check);
    }
    // The UPnP server's address (empty: the stack chooses).
    void SetServerAddress(std::string address) { serverAddress_ = std::move(address); }

    // 1 when the chosen server runs (or the configuration was handed over), else 0.
    int StartServer(bool showMessages);
    // Tells corvidlet to drop the shares it was given; 1 or 0.
    int Reset(bool showMessages);
    // Stops VLC, the listener and the UPnP server.
    void Shutdown();

    receiver::LinkStatus status() const { return status_; }
    std::uint16_t controlPort() const { return listener_.port(); }
    VlcStreamer& streamer() { return streamer_; }

  private:
    void ShowMessage(const std::string& text) override;
    void SetStatus(receiver::LinkStatus status) override;
    void say(bool show, const std::string& text);
    bool startUpnp(bool showMessages);

    SharingSettings& settings_;
    std::string webDirectory_;
    std::unique_ptr<CommandRunner> runner_;
    receiver::CorvidletLink::AccountCheck accountCheck_;
    receiver::CorvidletLink link_;
    VlcStreamer streamer_;
    VlcControlHandler handler_;
    receiver::ControlListener listener_;
    std::uint16_t controlPort_ = receiver::ControlListener::kPort;
    std::string serverAddress_;
    MessageSink messages_;
    StatusSink statusSink_;
    receiver::LinkStatus status_ = receiver::LinkStatus::Offline;
};

}  // namespace corvid::sharing
