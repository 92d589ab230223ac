#pragma once
// The UPnP stack of the process: brings libupnp up on an address or an interface, builds and
// registers the MediaServer device, scans the shares, and only then advertises it. Requests
// from the stack are serialised under one request lock, except Browse, which reads only the
// immutable content tree and is answered outside it. libupnp keeps global state, so there is
// one stack per process.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "corvid/server/MemoryTrimmer.h"
#include "corvid/server/ShareWatcher.h"
#include "corvid/server/UPnPDeviceServer.h"
#include "corvid/server/UpnpAdapter.h"
#include "corvid/sharing/MediaType.h"

namespace corvid::server {

class ContentServer;
class ContentVirtualDirectory;

class UpnpStack : private DeviceEventSink {
  public:
    static UpnpStack& Instance();

    // What the next Start asks for; empty / 0 let the stack choose. An interface name wins
    // over an address.
    void SetRequestedAddress(std::string address) { address_ = std::move(address); }
    void SetRequestedInterface(std::string name) { interface_ = std::move(name); }
    void SetRequestedPort(std::uint16_t port) { port_ = port; }

    using Shares = std::vector<std::pair<std::string, std::string>>;  // (path, media-type name)

    // The whole start-up: the stack (retried for a while when its address cannot be bound yet),
    // the device, the content tree of the shares, and the advertisement once all is ready.
    // 0 on success, else the stack's error code.
    int Start(const std::string& webDirectory, const Shares& shares);
    void Stop();
    UPnPDeviceServer* Device() const { return device_.get(); }
    bool running() const { return running_; }

    // Scans the shares again and serves the new tree; when anything changed, SystemUpdateID
    // goes up. Also run by the folder watcher. 0 on success.
    int Rescan();
    // How long Start keeps retrying a stack that cannot bind (default 30 s).
    void SetStartPatience(std::chrono::milliseconds limit) { patience_ = limit; }

    const std::string& address() const { return address_; }
    std::uint16_t port() const { return port_; }
    // "http://IP:PORT/description.xml"
    std::string DescriptionUrl() const;

    std::recursive_mutex& requestLock() { return requestLock_; }

  private:
    static constexpr std::uint16_t kFirstPort = 49152;  // the stack's own first choice
    UpnpStack() = default;
    int initStack();
    int startContent(const Shares& shares);
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
    std::unique_ptr<ContentServer> contentServer_;
    Shares shares_;
    std::mutex scanLock_;  // one rescan at a time
    std::uint64_t systemUpdateId_ = kInitialSystemUpdateId;
    std::chrono::milliseconds patience_{30000};
    std::unique_ptr<MemoryTrimmer> trimmer_;
    std::unique_ptr<ShareWatcher> watcher_;  // last: stopped first
    static constexpr std::uint64_t kInitialSystemUpdateId = 113;
};

}  // namespace corvid::server
