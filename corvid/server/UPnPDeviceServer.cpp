#include "corvid/server/UPnPDeviceServer.h"

#include <upnp/ixml.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "corvid/server/ConnectionManagerService.h"
#include "corvid/server/ContentDirectoryService.h"
#include "corvid/server/DiagnosticLog.h"
#include "corvid/server/UpnpAdapter.h"

namespace corvid::server {

namespace {

IXML_Element* addElement(IXML_Document* doc, IXML_Node* parent, const char* name,
                         const char* text = nullptr) {
    IXML_Element* e = nullptr;
    if (ixmlDocument_createElementEx(doc, name, &e) != IXML_SUCCESS)
        return nullptr;
    if (text != nullptr) {
        IXML_Node* t = nullptr;
        if (ixmlDocument_createTextNodeEx(doc, text, &t) == IXML_SUCCESS)
            ixmlNode_appendChild(reinterpret_cast<IXML_Node*>(e), t);
    }
    ixmlNode_appendChild(parent, reinterpret_cast<IXML_Node*>(e));
    return e;
}

IXML_Node* node(IXML_Element* e) {
    return reinterpret_cast<IXML_Node*>(e);
}

}  // namespace

void UpnpDevice::handleAction(ActionRequest&) {
    DiagnosticLog::write("UpnpDevice::handleAction\n");
}

void UpnpDevice::HandleSubscription(SubscriptionRequest&, int) {
    DiagnosticLog::write("UpnpDevice::handleSubscription\n");
}

UPnPDeviceServer::UPnPDeviceServer(std::string webDirectory)
    : webDirectory_(webDirectory.empty() ? std::string("./webdir") : std::move(webDirectory)) {}

std::string UPnPDeviceServer::NewUuid() {
    std::ifstream in("/proc/sys/kernel/random/uuid");
    std::string uuid;
    if (in && std::getline(in, uuid) && uuid.size() == 36)
        return uuid;
    std::random_device rd;
    unsigned char b[16];
    for (auto& x : b)
        x = static_cast<unsigned char>(rd());
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);
    char buf[40];
    std::snprintf(buf, sizeof buf,
                  "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return buf;
}

void UPnPDeviceServer::SetIdentity(const std::string& serverAddress) {
    char buf[300];
    std::snprintf(buf, sizeof buf, "Corvid(%s)", serverAddress.c_str());
    friendlyName_ = buf;
    udn_ = "uuid:" + NewUuid();
}

void UPnPDeviceServer::MakeDescription() {
    description_ = XmlDocument::parse("<root></root>");
    if (!description_.valid())
        return;
    IXML_Document* doc = description_.get();
    IXML_Node* root = ixmlNode_getFirstChild(reinterpret_cast<IXML_Node*>(doc));
    // The stack expects the device namespace on the root element.
    ixmlElement_setAttribute(reinterpret_cast<IXML_Element*>(root), "xmlns",
                             "urn:schemas-upnp-org:device-1-0");
    IXML_Element* version = addElement(doc, root, "specVersion");
    addElement(doc, node(version), "major", "1");
    addElement(doc, node(version), "minor", "0");
    IXML_Node* device = node(addElement(doc, root, "device"));
    addElement(doc, device, "deviceType", "urn:schemas-upnp-org:device:MediaServer:1");
    addElement(doc, device, "friendlyName", friendlyName_.c_str());
    addElement(doc, device, "manufacturer", "Quintavo");
    addElement(doc, device, "manufacturerURL", kMakerUrl);
    addElement(doc, device, "modelDescription", "QXPXXX");
    addElement(doc, device, "modelName", "AV Server");
    addElement(doc, device, "modelNumber", "1.0");
    addElement(doc, device, "modelURL", kMakerUrl);
    addElement(doc, device, "serialNumber", "000000000001");
    addElement(doc, device, "UDN", udn_.c_str());
    addElement(doc, device, "UPC", "000000000001");
    IXML_Node* icons = node(addElement(doc, device, "iconList"));
    IXML_Node* icon = node(addElement(doc, icons, "icon"));
    addElement(doc, icon, "mimeType", "image/gif");
    addElement(doc, icon, "width", "32");
    addElement(doc, icon, "height", "32");
    addElement(doc, icon, "depth", "8");
    addElement(doc, icon, "url", "/avserver.gif");
    IXML_Node* services = node(addElement(doc, device, "serviceList"));
    struct Row {
        const char *type, *id, *control, *event, *scpd;
    };
    const Row rows[] = {
        {kContentDirectoryType, kContentDirectoryId, "/upnp/control/ContentDirectory1",
         "/upnp/event/ContentDirectory1", "ContentDirectory.xml"},
        {kConnectionManagerType, kConnectionManagerId, "/upnp/control/ConnectionManager1",
         "/upnp/event/ConnectionManager1", "ConnectionManager.xml"},
    };
    for (const Row& r : rows) {
        IXML_Node* s = node(addElement(doc, services, "service"));
        addElement(doc, s, "serviceType", r.type);
        addElement(doc, s, "serviceId", r.id);
        addElement(doc, s, "controlURL", r.control);
        addElement(doc, s, "eventSubURL", r.event);
        addElement(doc, s, "SCPDURL", r.scpd);
    }
}

UpnpService* UPnPDeviceServer::AddService(const std::string& serviceType) {
    const std::string cds = "urn:schemas-upnp-org:service:ContentDirectory:";
    const std::string cms = "urn:schemas-upnp-org:service:ConnectionManager:";
    if (serviceType.compare(0, cds.size(), cds) == 0) {
        contentDirectory_ = std::make_unique<ContentDirectoryService>(serviceType, this);
        return contentDirectory_.get();
    }
    if (serviceType.compare(0, cms.size(), cms) == 0) {
        connectionManager_ = std::make_unique<ConnectionManagerService>(serviceType, this);
        return connectionManager_.get();
    }
    otherService_ = std::make_unique<UpnpService>(serviceType, this);
    return otherService_.get();
}

void UPnPDeviceServer::handleAction(ActionRequest& request) {
    DiagnosticLog::write("UPnPDeviceServer::handleAction\n");
    if (request.deviceUdn() != udn_)
        return;
    const std::string serviceId = request.serviceId();
    if (contentDirectory_ && serviceId == contentDirectory_->serviceId())
        contentDirectory_->HandleAction(request);
    else if (connectionManager_ && serviceId == connectionManager_->serviceId())
        connectionManager_->HandleAction(request);
    else
        DiagnosticLog::write("Unknown Event - %s\n", serviceId.c_str());
}

void UPnPDeviceServer::HandleSubscription(SubscriptionRequest& request, int deviceHandle) {
    DiagnosticLog::write("UPnPDeviceServer::HandleSubscription\n");
    if (request.udn() != udn_)
        return;
    const std::string serviceId = request.serviceId();
    if (contentDirectory_ && serviceId == contentDirectory_->serviceId())
        return;  // left unanswered
    if (connectionManager_ && serviceId == connectionManager_->serviceId()) {
        static_cast<ConnectionManagerService*>(connectionManager_.get())
            ->AcceptNewSubscriber(request, deviceHandle);
        return;
    }
    DiagnosticLog::write("Unknown Event - %s\n", serviceId.c_str());
}

}  // namespace corvid::server
