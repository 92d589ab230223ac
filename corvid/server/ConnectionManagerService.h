#pragma once
// The ConnectionManager: fixed protocol lists and values from its state variables.

#include "corvid/server/UpnpService.h"

namespace corvid::server {

class ConnectionManagerService : public UpnpService {
  public:
    // What GetProtocolInfo answers as Source.
    static constexpr const char* kSourceListA =
        "http-get:*:image/gif:*,http-get:*:image/jpeg:*,http-get:*:audio/mpeg:*,"
        "http-get:*:video/mpeg:*,http-get:*:video/x-ms-wmv:*,http-get:*:video/avi:*,"
        "http-get:*:video/wmv:*,http-get:*:audio/wma:*";
    // What a new subscriber receives as SourceProtocolInfo.
    static constexpr const char* kSourceListB =
        "http-get:*:image/gif:*,http-get:*:image/jpeg:*,http-get:*:audio/mpeg:*,"
        "http-get:*:video/mpeg:*,http-get:*:video/x-ms-wmv:*,http-get:*:video/avi:*,"
        "http-get:*:video/wmv:*,http-get:*:audio/x-ms-wma:*";

    ConnectionManagerService(std::string serviceType, UPnPDeviceServer* owner);
    void HandleAction(ActionRequest& request) override;
    int AcceptNewSubscriber(SubscriptionRequest& request, int deviceHandle);
};

}  // namespace corvid::server
