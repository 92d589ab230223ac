#include "corvid/server/UpnpStack.h"

#include "corvid/server/ContentVirtualDirectory.h"
#include "corvid/server/DiagnosticLog.h"
#include "corvid/server/ShareTree.h"

namespace corvid::server {

UpnpStack& UpnpStack::Instance() {
    static UpnpStack stack;
    return stack;
}

int UpnpStack::Start(const std::string& webDirectory) {
    const std::uint16_t requestedPort = port_;
    auto init = [&](std::uint16_t port) {
        return interface_.empty() ? upnp::initOnAddress(address_, port)
                                  : upnp::initOnInterface(interface_, port);
    };
    int rc = init(requestedPort);
    // Left to choose, the stack tries only its first port; when another program holds it, the
    // next free one is taken.
    for (std::uint16_t next = kFirstPort + 1;
         rc != 0 && requestedPort == 0 && upnp::isBindError(rc) && next < kFirstPort + 32; ++next) {
        upnp::finish();
        rc = init(next);
    }
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
        if (virtualDirectory_)
            device_->SetVirtualDirectory(virtualDirectory_.get());
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

int UpnpStack::StartContent(const std::vector<std::pair<std::string, std::string>>& shares) {
    if (!virtualDirectory_)
        virtualDirectory_ = std::make_unique<ContentVirtualDirectory>();
    const int rc = virtualDirectory_->Register(address_, port_);
    auto tree = std::make_shared<ShareTree>(virtualDirectory_->baseUrl());
    tree->Clear();
    tree->Init();
    for (const auto& [path, type] : shares)
        tree->AddShare(path, type);
    tree->Start();
    std::lock_guard lock(requestLock_);
    virtualDirectory_->SetTree(std::move(tree));
    if (device_)
        device_->SetVirtualDirectory(virtualDirectory_.get());
    return rc;
}

void UpnpStack::Stop() {
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
