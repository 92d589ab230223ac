#include "corvid/server/ContentDirectoryService.h"

#include "corvid/server/BrowseArguments.h"
#include "corvid/server/ContentVirtualDirectory.h"
#include "corvid/server/DiagnosticLog.h"
#include "corvid/server/UPnPDeviceServer.h"
#include "corvid/server/UpnpAdapter.h"

namespace corvid::server {

ContentDirectoryService::ContentDirectoryService(std::string serviceType, UPnPDeviceServer* owner)
    : UpnpService(std::move(serviceType), owner) {}

void ContentDirectoryService::HandleAction(ActionRequest& request) {
    const std::string name = request.actionName();
    DiagnosticLog::write("HandleActionName:%s\n", name.c_str());
    if (name == "GetSearchCapabilities") {
        SendActionResponse(request, {{"SearchCaps", StateValue("SearchCapabilities")}});
    } else if (name == "GetSortCapabilities") {
        SendActionResponse(request, {{"SortCaps", StateValue("SortCapabilities")}});
    } else if (name == "GetSystemUpdateID") {
        SendActionResponse(request, {{"Id", StateValue("SystemUpdateID")}});
    } else if (name == "Browse") {
        Browse(request);
    } else if (name == "Search" || name == "DestroyObject" || name == "UpdateObject" ||
               name == "StopTransferResource" || name == "DeleteResource") {
        SendActionResponse(request, {});
    } else if (name == "CreateObject") {
        SendActionResponse(request, {{"ObjectID", StateValue("A_ARG_TYPE_ObjectID")},
                                     {"Result", StateValue("A_ARG_TYPE_Result")}});
    } else if (name == "ImportResource" || name == "ExportResource") {
        SendActionResponse(request, {{"TransferID", StateValue("A_ARG_TYPE_TransferID")}});
    } else if (name == "GetTransferProgress") {
        SendActionResponse(request, {{"TransferStatus", StateValue("A_ARG_TYPE_TransferStatus")},
                                     {"TransferLength", StateValue("A_ARG_TYPE_TransferLength")},
                                     {"TransferTotal", StateValue("A_ARG_TYPE_TransferTotal")}});
    } else if (name == "CreateReference") {
        SendActionResponse(request, {{"NewID", StateValue("A_ARG_TYPE_ObjectID")}});
    } else {
        DiagnosticLog::write("Unknown action name - %s", name.c_str());
    }
}

void ContentDirectoryService::Browse(ActionRequest& request) {
    ContentVirtualDirectory* directory = owner() != nullptr ? owner()->virtualDirectory() : nullptr;
    const auto tree = directory != nullptr ? directory->Tree() : nullptr;
    if (!tree)
        return;  // no content yet: no response
    BrowseAnswer answer = BrowseArguments::From(request.document()).Answer(*tree);
    if (!answer.answered)
        return;  // any other flag gets no response
    const std::string n = std::to_string(answer.count);
    ResponsePairs pairs;
    pairs.emplace_back("Result", std::move(answer.result));
    pairs.emplace_back("NumberReturned", n);
    pairs.emplace_back("TotalMatches", n);
    pairs.emplace_back("UpdateID", std::to_string(answer.updateId));
    SendActionResponse(request, pairs);
}

}  // namespace corvid::server
