#include "corvid/server/UpnpStack.h"

#include <thread>

#include "corvid/server/ContentServer.h"
#include "corvid/server/ContentVirtualDirectory.h"
#include "corvid/server/DiagnosticLog.h"
#include "corvid/server/ShareTree.h"

namespace corvid::server {

UpnpStack& UpnpStack::Instance() {
    static UpnpStack stack;
    return stack;
}

int UpnpStack::initStack() {
    const std::uint16_t requestedPort = port_;
    auto init = [&](std::uint16_t port) {
        return interface_.empty() ? upnp::initOnAddress(address_, port)
                                  : upnp::initOnInterface(interface_, port);
    };
    // Just after boot or link-up the interface's addresses may not be usable yet (a tentative
    // IPv6 link-local address cannot be bound): keep trying for a while instead of giving up.
    const auto deadline = std::chrono::steady_clock::now() + patience_;
    while (true) {
        int rc = init(requestedPort);
        // Left to choose, the stack tries only its first port; when another program holds it
        // (or two servers starting together both bound it), the next free one is taken.
        for (std::uint16_t next = kFirstPort + 1;
             rc != 0 && requestedPort == 0 && upnp::isBindError(rc) && next < kFirstPort + 32;
             ++next) {
            upnp::finish();
            rc = init(next);
        }
        if (rc == 0 || !upnp::isRetryableStartError(rc) ||
            std::chrono::steady_clock::now() >= deadline)
            return rc;
        upnp::finish();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
}

int UpnpStack::Start(const std::string& webDirectory, const Shares& shares) {
    MemoryTrimmer::MapLargeBlocks();
    int rc = initStack();
    if (rc != 0) {
        DiagnosticLog::write("Upnp Init Error : %d\n", rc);
        upnp::finish();
        return rc;
    }
    address_ = upnp::serverAddress();
    port_ = upnp::serverPort();
    DiagnosticLog::write("UPnP init success %s:%d\n", address_.c_str(), port_);
    DiagnosticLog::write("Register Upnp Client\n");

    webDirectory_ = webDirectory;
    auto device = std::make_unique<UPnPDeviceServer>(webDirectory);
    device->SetIdentity(address_);
    device->MakeDescription();
    const std::string dir = device->webDirectory();

    if (UpnpService* cds = device->AddService(UPnPDeviceServer::kContentDirectoryType)) {
        cds->setServiceId(UPnPDeviceServer::kContentDirectoryId);
        cds->LoadDescription(dir + "/ContentDirectory.xml");
        cds->SetStateVariable("TransferIDs", "0");
        cds->SetStateVariable("A_ARG_TYPE_TransferStatus", "COMPLETED");
        cds->SetStateVariable("SystemUpdateID", "113");
    }
    if (UpnpService* cms = device->AddService(UPnPDeviceServer::kConnectionManagerType)) {
        cms->setServiceId(UPnPDeviceServer::kConnectionManagerId);
        cms->LoadDescription(dir + "/ConnectionManager.xml");
        cms->SetStateVariable("A_ARG_TYPE_ProtocolInfo", "*:*:*:*");
        cms->SetStateVariable("A_ARG_TYPE_ConnectionStatus", "Unknown");
        cms->SetStateVariable("A_ARG_TYPE_AVTransportID", "0");
        cms->SetStateVariable("A_ARG_TYPE_RcsID", "0");
        cms->SetStateVariable("A_ARG_TYPE_ConnectionID", "-1");
        cms->SetStateVariable("A_ARG_TYPE_Direction", "Input");
        cms->SetStateVariable("CurrentConnectionIDs", "0");
    }

    const std::string description = device->DescriptionText();
    if (upnp::setWebServerRoot(dir) != 0)
        DiagnosticLog::write(" UpnpSetWebServer fail\n");
    {
        std::lock_guard lock(requestLock_);
        device_ = std::move(device);
    }
    // The shares are scanned before the device is registered, so no client ever finds it
    // without its content.
    rc = startContent(shares);
    if (rc != 0) {
        DiagnosticLog::write("Content Start Error : %d\n", rc);
        Stop();
        return rc;
    }
    rc = upnp::registerRootDevice(description, this, handle_);
    if (rc != 0) {
        DiagnosticLog::write("Register Root Device Error : %d\n", rc);
        Stop();
        return rc;
    }
    rc = upnp::sendAdvertisement(handle_, 1000);
    if (rc != 0) {
        DiagnosticLog::write("UPnP Send Advertise Error -%d\n", rc);
        Stop();
        return rc;
    }
    running_ = true;
    return 0;
}

int UpnpStack::startContent(const Shares& shares) {
    if (!virtualDirectory_)
        virtualDirectory_ = std::make_unique<ContentVirtualDirectory>();
    const int rc = virtualDirectory_->Register(address_, port_);
    if (rc != 0)
        return rc;
    // The files go out through Corvid's own server (sendfile, exact Range answers); the stack's
    // virtual directory stays as the way in at the stack's own port.
    if (!contentServer_) {
        contentServer_ = std::make_unique<ContentServer>(
            [directory = virtualDirectory_.get()] { return directory->Tree(); });
    }
    if (contentServer_->Start(address_, 0))
        virtualDirectory_->SetBaseUrl(address_, contentServer_->port());
    else
        DiagnosticLog::write("Content server not started; files served by the stack\n");
    shares_ = shares;
    auto tree = std::make_shared<ShareTree>(virtualDirectory_->baseUrl());
    tree->Clear();
    tree->Init();
    for (const auto& [path, type] : shares)
        tree->AddShare(path, type);
    tree->Start();
    std::vector<std::string> folders;
    for (const auto& o : tree->objects()) {
        if (o->IsContainer())
            folders.push_back(o->path);
    }
    {
        std::lock_guard lock(requestLock_);
        virtualDirectory_->SetTree(std::move(tree));
        systemUpdateId_ = kInitialSystemUpdateId;
        if (device_)
            device_->SetVirtualDirectory(virtualDirectory_.get());
    }
    if (!trimmer_)
        trimmer_ = std::make_unique<MemoryTrimmer>();
    watcher_ = std::make_unique<ShareWatcher>([this] { Rescan(); });
    watcher_->Watch(std::move(folders));
    return 0;
}

int UpnpStack::Rescan() {
    std::lock_guard scan(scanLock_);
    const auto old = virtualDirectory_ ? virtualDirectory_->Tree() : nullptr;
    if (!old)
        return -1;
    auto tree = std::make_shared<ShareTree>(old->baseUrl());
    tree->Init();
    for (const auto& [path, type] : shares_)
        tree->AddShare(path, type);
    tree->Succeed(old);
    const int rc = tree->Start();
    if (rc != 0 || !tree->changed())
        return rc;
    std::vector<std::string> folders;
    for (const auto& o : tree->objects()) {
        if (o->IsContainer())
            folders.push_back(o->path);
    }
    {
        std::lock_guard lock(requestLock_);
        virtualDirectory_->SetTree(std::move(tree));
        ++systemUpdateId_;
        if (device_ && device_->contentDirectory())
            device_->contentDirectory()->SetStateVariable("SystemUpdateID",
                                                          std::to_string(systemUpdateId_));
    }
    if (watcher_)
        watcher_->Watch(std::move(folders));
    if (trimmer_)
        trimmer_->Schedule();
    return 0;
}

void UpnpStack::Stop() {
    // The watcher goes first: no rescan runs while the stack is taken down.
    watcher_.reset();
    if (contentServer_)
        contentServer_->Stop();
    // Finishing the stack ends its threads, so no callback runs once the device is gone.
    upnp::finish();
    std::lock_guard lock(requestLock_);
    device_.reset();
    handle_ = -1;
    running_ = false;
    if (virtualDirectory_)
        virtualDirectory_->SetTree(nullptr);
}

std::string UpnpStack::DescriptionUrl() const {
    return "http://" + address_ + ":" + std::to_string(port_) + "/description.xml";
}

void UpnpStack::onAction(ActionRequest& request) {
    // Browse reads only the content tree, which never changes once built (a rescan swaps in a
    // new one), so large answers are written without holding up other requests. The device
    // itself lives until the stack is finished, which ends this thread first.
    UPnPDeviceServer* device = nullptr;
    {
        std::lock_guard lock(requestLock_);
        device = device_.get();
    }
    if (device != nullptr && request.actionName() == "Browse") {
        device->handleAction(request);
        if (trimmer_)
            trimmer_->Schedule();
        return;
    }
    std::lock_guard lock(requestLock_);
    if (device_) {
        device_->handleAction(request);
        if (DiagnosticLog::enabled())
            DiagnosticLog::write("%s\n", request.resultText().c_str());
    }
}

void UpnpStack::onSubscription(SubscriptionRequest& request) {
    std::lock_guard lock(requestLock_);
    if (device_)
        device_->HandleSubscription(request, handle_);
}

void UpnpStack::onGetVar() {
    std::lock_guard lock(requestLock_);
    DiagnosticLog::write("EVENT: UPNP_CONTROL_GET_VAR_REQUEST\n");
}

void UpnpStack::onUnknown(int) {
    std::lock_guard lock(requestLock_);
    DiagnosticLog::write("Unknown Event Type \n");
}

}  // namespace corvid::server
