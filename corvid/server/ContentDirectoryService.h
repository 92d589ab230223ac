#pragma once
// The ContentDirectory: Browse from the content tree, the other actions from state variables.

#include "corvid/server/UpnpService.h"

namespace corvid::server {

class ContentDirectoryService : public UpnpService {
  public:
    ContentDirectoryService(std::string serviceType, UPnPDeviceServer* owner);
    void HandleAction(ActionRequest& request) override;

  private:
    void Browse(ActionRequest& request);
};

}  // namespace corvid::server
