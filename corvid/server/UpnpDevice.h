#pragma once
// Base of the device layer: what the stack's request callback hands requests to.

#include <memory>
#include <string>

namespace corvid::server {

class ActionRequest;
class SubscriptionRequest;
class UpnpService;

class UpnpDevice {
  public:
    virtual ~UpnpDevice() = default;
    virtual void handleAction(ActionRequest& request);
    virtual void HandleSubscription(SubscriptionRequest& request, int deviceHandle);
    virtual UpnpService* AddService(const std::string& serviceType) = 0;
};

}  // namespace corvid::server
