#pragma once
// A service of the device: its type and id, and the action and state-variable tables read from
// its description document (SCPD). ContentDirectoryService and ConnectionManagerService derive
// from it.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "corvid/server/ServiceAction.h"
#include "corvid/server/StateVariable.h"

namespace corvid::server {

class ActionRequest;
class SubscriptionRequest;
class UPnPDeviceServer;

using ResponsePairs = std::vector<std::pair<std::string, std::string>>;

class UpnpService {
  public:
    UpnpService(std::string serviceType, UPnPDeviceServer* owner);
    virtual ~UpnpService() = default;
    UpnpService(const UpnpService&) = delete;
    UpnpService& operator=(const UpnpService&) = delete;

    // Reads an SCPD file into the tables: 0, or -1 when it cannot be read.
    int LoadDescription(const std::string& path);
    // The same for SCPD text already in memory: 0, or -1 when it is not a document.
    int LoadDescriptionText(const std::string& text);

    int SetStateVariable(const std::string& name, const std::string& value);
    std::optional<std::string> GetStateVariable(const std::string& name) const;
    // The current value, or "" for an unknown variable.
    std::string StateValue(const std::string& name) const;

    // No pairs: an empty response for the action. Otherwise every pair with a name, in order.
    bool SendActionResponse(ActionRequest& request, const ResponsePairs& pairs) const;
    // Accepts a subscription with these variables as the initial event; -1 when count does not
    // match the pairs or a pair is empty.
    int AcceptSubscription(int deviceHandle, const SubscriptionRequest& request, int count,
                           const ResponsePairs& pairs) const;

    // The service's own action dispatch; the base class answers nothing.
    virtual void HandleAction(ActionRequest& request);

    const std::string& serviceType() const { return serviceType_; }
    const std::string& serviceId() const { return serviceId_; }
    void setServiceId(std::string id) { serviceId_ = std::move(id); }
    const std::vector<ServiceAction>& actions() const { return actions_; }
    const std::vector<StateVariable>& stateVariables() const { return variables_; }
    const ServiceAction* FindAction(const std::string& name) const;
    UPnPDeviceServer* owner() const { return owner_; }

  private:
    std::string serviceType_;
    std::string serviceId_;
    std::vector<ServiceAction> actions_;
    std::vector<StateVariable> variables_;
    UPnPDeviceServer* owner_;
};

}  // namespace corvid::server
