#include "corvid/server/ConnectionManagerService.h"

#include "corvid/server/DiagnosticLog.h"
#include "corvid/server/UpnpAdapter.h"

namespace corvid::server {

ConnectionManagerService::ConnectionManagerService(std::string serviceType, UPnPDeviceServer* owner)
    : UpnpService(std::move(serviceType), owner) {}

void ConnectionManagerService::HandleAction(ActionRequest& request) {
    const std::string name = request.actionName();
    DiagnosticLog::write("HandleActionName:%s\n", name.c_str());
    if (name == "GetProtocolInfo") {
        SendActionResponse(request,
                           {{"Source", kSourceListA}, {"Sink", StateValue("SinkProtocolInfo")}});
    } else if (name == "GetCurrentConnectionIDs") {
        SendActionResponse(request, {{"ConnectionIDs", StateValue("CurrentConnectionIDs")}});
    } else if (name == "GetCurrentConnectionInfo") {
        // Each output takes the value of the variable the description relates it to.
        ResponsePairs pairs;
        const ServiceAction* action = FindAction(name);
        for (const char* out : {"ProtocolInfo", "RcsID", "AVTransportID", "Direction", "Status",
                                "PeerConnectionID", "PeerConnectionManager"}) {
            std::string related;
            if (action != nullptr) {
                for (const ActionArgument& a : action->arguments) {
                    if (a.name == out)
                        related = a.relatedStateVariable;
                }
            }
            pairs.emplace_back(out, related.empty() ? std::string() : StateValue(related));
        }
        SendActionResponse(request, pairs);
    } else if (name == "PrepareForConnection") {
        SendActionResponse(request, {{"ConnectionID", StateValue("A_ARG_TYPE_ConnectionID")},
                                     {"AVTransportID", StateValue("A_ARG_TYPE_AVTransportID")},
                                     {"RcsID", StateValue("A_ARG_TYPE_RcsID")}});
    } else if (name == "ConnectionComplete") {
        SendActionResponse(request, {});
    } else {
        DiagnosticLog::write("Unknown action name - %s", name.c_str());
    }
}

int ConnectionManagerService::AcceptNewSubscriber(SubscriptionRequest& request, int deviceHandle) {
    return AcceptSubscription(deviceHandle, request, 3,
                              {{"SourceProtocolInfo", kSourceListB},
                               {"SinkProtocolInfo", StateValue("SinkProtocolInfo")},
                               {"CurrentConnectionIDs", StateValue("CurrentConnectionIDs")}});
}

}  // namespace corvid::server
