#pragma once
// Corvid's MediaServer device: its identity, its description document and its two services.

#include <memory>
#include <string>

#include "corvid/server/UpnpDevice.h"
#include "corvid/server/UpnpService.h"
#include "corvid/server/XmlDocument.h"

namespace corvid::server {

class ContentVirtualDirectory;

class UPnPDeviceServer : public UpnpDevice {
  public:
    static constexpr const char* kContentDirectoryType =
        "urn:schemas-upnp-org:service:ContentDirectory:1";
    static constexpr const char* kConnectionManagerType =
        "urn:schemas-upnp-org:service:ConnectionManager:1";
    static constexpr const char* kContentDirectoryId = "urn:upnp-org:serviceId:ContentDirectory1";
    static constexpr const char* kConnectionManagerId = "urn:upnp-org:serviceId:ConnectionManager1";
    static constexpr const char* kMakerUrl = "https://www.quintavo.example/";

    explicit UPnPDeviceServer(std::string webDirectory);

    // friendlyName "Corvid(IP)" and a fresh "uuid:..." UDN.
    void SetIdentity(const std::string& serverAddress);
    void MakeDescription();
    std::string DescriptionText() const { return description_.print(); }

    UpnpService* AddService(const std::string& serviceType) override;
    void handleAction(ActionRequest& request) override;
    void HandleSubscription(SubscriptionRequest& request, int deviceHandle) override;

    const std::string& udn() const { return udn_; }
    const std::string& friendlyName() const { return friendlyName_; }
    const std::string& webDirectory() const { return webDirectory_; }
    UpnpService* contentDirectory() const { return contentDirectory_.get(); }
    UpnpService* connectionManager() const { return connectionManager_.get(); }

    // The ContentDirectory answers Browse from this directory's tree (none: no answer).
    void SetVirtualDirectory(ContentVirtualDirectory* directory) { virtualDirectory_ = directory; }
    ContentVirtualDirectory* virtualDirectory() const { return virtualDirectory_; }

    // A new random UUID in its string form.
    static std::string NewUuid();

  private:
    std::string webDirectory_;
    std::string udn_;
    std::string friendlyName_;
    std::unique_ptr<UpnpService> contentDirectory_;
    std::unique_ptr<UpnpService> connectionManager_;
    std::unique_ptr<UpnpService> otherService_;
    XmlDocument description_;
    ContentVirtualDirectory* virtualDirectory_ = nullptr;
};

}  // namespace corvid::server
