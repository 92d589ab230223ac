#include "corvid/server/UpnpAdapter.h"

#include <upnp/ixml.h>
#include <upnp/upnp.h>
#include <upnp/upnptools.h>

#include <atomic>
#include <cstring>

#include "corvid/server/XmlDocument.h"

namespace corvid::server {

namespace {

std::string text(const char* s) {
    return s != nullptr ? std::string(s) : std::string();
}

std::atomic<VirtualFileHandler*> g_fileHandler{nullptr};

int deviceCallback(Upnp_EventType type, const void* event, void* cookie) {
    auto* sink = static_cast<DeviceEventSink*>(cookie);
    if (sink == nullptr || event == nullptr)
        return 0;
    switch (type) {
        case UPNP_CONTROL_ACTION_REQUEST: {
            ActionRequest request(const_cast<void*>(event));
            sink->onAction(request);
            break;
        }
        case UPNP_EVENT_SUBSCRIPTION_REQUEST: {
            SubscriptionRequest request(const_cast<void*>(event));
            sink->onSubscription(request);
            break;
        }
        case UPNP_CONTROL_GET_VAR_REQUEST:
            sink->onGetVar();
            break;
        default:
            sink->onUnknown(static_cast<int>(type));
            break;
    }
    return 0;
}

int vdGetInfo(const char* filename, UpnpFileInfo* info, const void*) {
    VirtualFileHandler* h = g_fileHandler.load();
    if (h == nullptr || filename == nullptr || info == nullptr)
        return -1;
    WebFileInfo out;
    out.length = UpnpFileInfo_get_FileLength(info);
    out.lastModified = UpnpFileInfo_get_LastModified(info);
    out.isDirectory = UpnpFileInfo_get_IsDirectory(info) != 0;
    out.isReadable = UpnpFileInfo_get_IsReadable(info) != 0;
    const int rc = h->getInfo(filename, out);
    UpnpFileInfo_set_FileLength(info, out.length);
    UpnpFileInfo_set_LastModified(info, out.lastModified);
    UpnpFileInfo_set_IsDirectory(info, out.isDirectory ? 1 : 0);
    UpnpFileInfo_set_IsReadable(info, out.isReadable ? 1 : 0);
    // The web server reads the content type whatever the result (a missing one crashes it), so
    // there is always one. The setter keeps its own copy of the text.
    std::string type = out.contentType.empty() ? "application/octet-stream" : out.contentType;
    UpnpFileInfo_set_ContentType(info, type.data());
    if (!out.extraHeaders.empty())
        UpnpFileInfo_set_ExtraHeaders(info, out.extraHeaders.c_str());
    return rc;
}

UpnpWebFileHandle vdOpen(const char* filename, enum UpnpOpenFileMode mode, const void*) {
    VirtualFileHandler* h = g_fileHandler.load();
    if (h == nullptr || filename == nullptr)
        return nullptr;
    return h->open(filename, mode == UPNP_WRITE);
}

int vdRead(UpnpWebFileHandle f, char* buf, size_t len, const void*) {
    VirtualFileHandler* h = g_fileHandler.load();
    return h != nullptr && f != nullptr ? h->read(f, buf, len) : -1;
}

int vdWrite(UpnpWebFileHandle f, char* buf, size_t len, const void*) {
    VirtualFileHandler* h = g_fileHandler.load();
    return h != nullptr && f != nullptr ? h->write(f, buf, len) : -1;
}

int vdSeek(UpnpWebFileHandle f, off_t offset, int origin, const void*) {
    VirtualFileHandler* h = g_fileHandler.load();
    return h != nullptr && f != nullptr ? h->seek(f, offset, origin) : -1;
}

int vdClose(UpnpWebFileHandle f, const void*) {
    VirtualFileHandler* h = g_fileHandler.load();
    return h != nullptr && f != nullptr ? h->close(f) : -1;
}

}  // namespace

// ---- ActionRequest ----

std::string ActionRequest::deviceUdn() const {
    return text(UpnpActionRequest_get_DevUDN_cstr(static_cast<UpnpActionRequest*>(raw_)));
}

std::string ActionRequest::serviceId() const {
    return text(UpnpActionRequest_get_ServiceID_cstr(static_cast<UpnpActionRequest*>(raw_)));
}

std::string ActionRequest::actionName() const {
    return text(UpnpActionRequest_get_ActionName_cstr(static_cast<UpnpActionRequest*>(raw_)));
}

std::string ActionRequest::argument(const std::string& name) const {
    return actionArgument(
        UpnpActionRequest_get_ActionRequest(static_cast<UpnpActionRequest*>(raw_)), name);
}

IXML_Document* ActionRequest::document() const {
    return UpnpActionRequest_get_ActionRequest(static_cast<UpnpActionRequest*>(raw_));
}

bool ActionRequest::addResult(const std::string& serviceType, const std::string& name,
                              const std::string& value) {
    auto* req = static_cast<UpnpActionRequest*>(raw_);
    IXML_Document* doc = UpnpActionRequest_get_ActionResult(req);
    const std::string action = actionName();
    const int rc = UpnpAddToActionResponse(&doc, action.c_str(), serviceType.c_str(), name.c_str(),
                                           value.c_str());
    UpnpActionRequest_set_ActionResult(req, doc);
    return rc == UPNP_E_SUCCESS;
}

bool ActionRequest::setEmptyResult(const std::string& serviceType) {
    auto* req = static_cast<UpnpActionRequest*>(raw_);
    const std::string action = actionName();
    IXML_Document* doc = UpnpMakeActionResponse(action.c_str(), serviceType.c_str(), 0, nullptr);
    if (doc == nullptr)
        return false;
    if (IXML_Document* old = UpnpActionRequest_get_ActionResult(req))
        ixmlDocument_free(old);
    UpnpActionRequest_set_ActionResult(req, doc);
    return true;
}

std::string ActionRequest::resultText() const {
    IXML_Document* doc = UpnpActionRequest_get_ActionResult(static_cast<UpnpActionRequest*>(raw_));
    if (doc == nullptr)
        return {};
    DOMString s = ixmlPrintNode(reinterpret_cast<IXML_Node*>(doc));
    std::string out = text(s);
    ixmlFreeDOMString(s);
    return out;
}

// ---- SubscriptionRequest ----

std::string SubscriptionRequest::udn() const {
    return text(UpnpSubscriptionRequest_get_UDN_cstr(static_cast<UpnpSubscriptionRequest*>(raw_)));
}

std::string SubscriptionRequest::serviceId() const {
    return text(
        UpnpSubscriptionRequest_get_ServiceId_cstr(static_cast<UpnpSubscriptionRequest*>(raw_)));
}

std::string SubscriptionRequest::sid() const {
    return text(UpnpSubscriptionRequest_get_SID_cstr(static_cast<UpnpSubscriptionRequest*>(raw_)));
}

// ---- the stack ----

namespace upnp {

int initOnAddress(const std::string& address, std::uint16_t port) {
    return UpnpInit(address.empty() ? nullptr : address.c_str(), port);
}

int initOnInterface(const std::string& interfaceName, std::uint16_t port) {
    return UpnpInit2(interfaceName.empty() ? nullptr : interfaceName.c_str(), port);
}

void finish() {
    UpnpFinish();
}

std::string serverAddress() {
    return text(UpnpGetServerIpAddress());
}

std::uint16_t serverPort() {
    return UpnpGetServerPort();
}

int setWebServerRoot(const std::string& folder) {
    return UpnpSetWebServerRootDir(folder.c_str());
}

int registerRootDevice(const std::string& description, DeviceEventSink* sink, int& handle) {
    UpnpDevice_Handle h = -1;
    const int rc = UpnpRegisterRootDevice2(UPNPREG_BUF_DESC, description.c_str(),
                                           description.size(), 1, deviceCallback, sink, &h);
    handle = h;
    return rc;
}

int unregisterRootDevice(int handle) {
    return UpnpUnRegisterRootDevice(handle);
}

int sendAdvertisement(int handle, int expirySeconds) {
    return UpnpSendAdvertisement(handle, expirySeconds);
}

int acceptSubscription(int handle, const std::string& udn, const std::string& serviceId,
                       const std::vector<std::string>& names,
                       const std::vector<std::string>& values, const std::string& sid) {
    if (names.size() != values.size())
        return UPNP_E_INVALID_PARAM;
    std::vector<const char*> n;
    std::vector<const char*> v;
    for (std::size_t i = 0; i < names.size(); ++i) {
        n.push_back(names[i].c_str());
        v.push_back(values[i].c_str());
    }
    Upnp_SID id{};
    std::strncpy(id, sid.c_str(), sizeof id - 1);
    return UpnpAcceptSubscription(handle, udn.c_str(), serviceId.c_str(), n.data(), v.data(),
                                  static_cast<int>(n.size()), id);
}

int addVirtualDirectory(const std::string& name, VirtualFileHandler* handler) {
    g_fileHandler.store(handler);
    UpnpVirtualDir_set_GetInfoCallback(vdGetInfo);
    UpnpVirtualDir_set_OpenCallback(vdOpen);
    UpnpVirtualDir_set_ReadCallback(vdRead);
    UpnpVirtualDir_set_WriteCallback(vdWrite);
    UpnpVirtualDir_set_SeekCallback(vdSeek);
    UpnpVirtualDir_set_CloseCallback(vdClose);
    return UpnpAddVirtualDir(name.c_str(), handler, nullptr);
}

void removeVirtualFileHandler(VirtualFileHandler* handler) {
    VirtualFileHandler* expected = handler;
    g_fileHandler.compare_exchange_strong(expected, nullptr);
}

const char* errorMessage(int code) {
    return UpnpGetErrorMessage(code);
}

bool isBindError(int code) {
    return code == UPNP_E_SOCKET_BIND || code == UPNP_E_LISTEN;
}

bool isRetryableStartError(int code) {
    return code == UPNP_E_SOCKET_BIND || code == UPNP_E_INVALID_INTERFACE;
}

}  // namespace upnp

}  // namespace corvid::server
