#pragma once
// The UPnP stack of the process: brings libupnp up on an address or an interface, builds and
// registers the MediaServer device, advertises it, and serialises every request from the stack
// under one request lock. libupnp keeps global state, so there is one stack per process.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "corvid/server/UPnPDeviceServer.h"
#include "corvid/server/UpnpAdapter.h"
#include "corvid/sharing/MediaType.h"

namespace corvid::server {

class ContentVirtualDirectory;

class UpnpStack : private DeviceEventSink {
  public:
    static UpnpStack& Instance();

    // What the next Start asks for; empty / 0 let the stack choose. An interface name wins
    // over an address.
    void SetRequestedAddress(std::string address) { address_ = std::move(address); }
    void SetRequestedInterface(std::string name) { interface_ = std::move(name); }
    void SetRequestedPort(std::uint16_t port) { port_ = port; }

    // The whole start-up; 0 on success, else the stack's error code.
    int Start(const std::string& webDirectory);
    void Stop();
    UPnPDeviceServer* Device() const { return device_.get(); }
    bool running() const { return running_; }

    // Builds the content tree from (path, media-type name) shares and serves it; 0 on success.
    int StartContent(const std::vector<std::pair<std::string, std::string>>& shares);

    const std::string& address() const { return address_; }
    std::uint16_t port() const { return port_; }
    // "http://IP:PORT/description.xml"
    std::string DescriptionUrl() const;

    std::recursive_mutex& requestLock() { return requestLock_; }

  private:
    static constexpr std::uint16_t kFirstPort = 49152;  // the stack's own first choice
    UpnpStack() = default;
    void onAction(ActionRequest& request) override;
    void onSubscription(SubscriptionRequest& request) override;
    void onGetVar() override;
    void onUnknown(int eventType) override;

    std::string address_;
    std::string interface_;
    std::uint16_t port_ = 0;
    std::string webDirectory_;
    std::unique_ptr<UPnPDeviceServer> device_;
    int handle_ = -1;
    bool running_ = false;
    std::recursive_mutex requestLock_;
    std::recursive_mutex eventLock_;  // the client-side event table's lock (unused by the server)
    std::unique_ptr<ContentVirtualDirectory> virtualDirectory_;
};

}  // namespace corvid::server
