#include "corvid/server/UpnpService.h"

#include <upnp/ixml.h>

#include <fstream>
#include <sstream>

#include "corvid/server/DiagnosticLog.h"
#include "corvid/server/UPnPDeviceServer.h"
#include "corvid/server/UpnpAdapter.h"
#include "corvid/server/XmlDocument.h"

namespace corvid::server {

namespace {

// SCPD files are small; anything larger is not one.
constexpr std::size_t kMaxDescriptionSize = 4 * 1024 * 1024;

std::string childText(IXML_Node* parent, const char* name) {
    IXML_Node* c = childElement(parent, name);
    return c != nullptr ? elementText(c) : std::string();
}

ServiceAction readAction(IXML_Node* node) {
    ServiceAction action;
    action.name = childText(node, "name");
    for (IXML_Node* list = ixmlNode_getFirstChild(node); list != nullptr;
         list = ixmlNode_getNextSibling(list)) {
        if (ixmlNode_getNodeType(list) != eELEMENT_NODE || localName(list) != "argumentList")
            continue;
        for (IXML_Node* a = ixmlNode_getFirstChild(list); a != nullptr;
             a = ixmlNode_getNextSibling(a)) {
            if (ixmlNode_getNodeType(a) != eELEMENT_NODE || localName(a) != "argument")
                continue;
            ActionArgument arg;
            arg.name = childText(a, "name");
            arg.direction = childText(a, "direction");
            // The retval marker is an empty element; keep whatever text it holds.
            arg.retval = childText(a, "retval");
            arg.relatedStateVariable = childText(a, "relatedStateVariable");
            action.arguments.push_back(std::move(arg));
        }
    }
    return action;
}

StateVariable readVariable(IXML_Node* node) {
    StateVariable v;
    const char* events =
        ixmlElement_getAttribute(reinterpret_cast<IXML_Element*>(node), "sendEvents");
    v.sendEvents = events != nullptr ? events : "";
    v.name = childText(node, "name");
    v.dataType = childText(node, "dataType");
    v.defaultValue = childText(node, "defaultValue");
    v.value = v.defaultValue;
    if (IXML_Node* range = childElement(node, "allowedValueRange")) {
        v.minimum = childText(range, "minimum");
        v.maximum = childText(range, "maximum");
        v.step = childText(range, "step");
    }
    if (IXML_Node* list = childElement(node, "allowedValueList")) {
        for (IXML_Node* a = ixmlNode_getFirstChild(list); a != nullptr;
             a = ixmlNode_getNextSibling(a)) {
            if (ixmlNode_getNodeType(a) == eELEMENT_NODE && localName(a) == "allowedValue")
                v.allowedValues.push_back(elementText(a));
        }
    }
    return v;
}

// Visits every element below node (document order) whose local name is name.
template <typename F>
void forEachElement(IXML_Node* node, const char* name, F&& f, int depth = 0) {
    if (depth > 64)
        return;  // descriptions are shallow; a deeper one is not walked further
    for (IXML_Node* c = ixmlNode_getFirstChild(node); c != nullptr;
         c = ixmlNode_getNextSibling(c)) {
        if (ixmlNode_getNodeType(c) != eELEMENT_NODE)
            continue;
        if (localName(c) == name)
            f(c);
        else
            forEachElement(c, name, f, depth + 1);
    }
}

}  // namespace

UpnpService::UpnpService(std::string serviceType, UPnPDeviceServer* owner)
    : serviceType_(std::move(serviceType)), owner_(owner) {}

int UpnpService::LoadDescription(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        DiagnosticLog::write("Can not open %s\n", path.c_str());
        return -1;
    }
    std::string text;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxDescriptionSize) {
            DiagnosticLog::write("Has not enough memory\n");
            return -1;
        }
    }
    return LoadDescriptionText(text);
}

int UpnpService::LoadDescriptionText(const std::string& text) {
    XmlDocument doc = XmlDocument::parse(text);
    if (!doc.valid())
        return -1;
    std::vector<ServiceAction> actions;
    std::vector<StateVariable> variables;
    auto* root = reinterpret_cast<IXML_Node*>(doc.get());
    forEachElement(root, "actionList", [&](IXML_Node* list) {
        for (IXML_Node* a = ixmlNode_getFirstChild(list); a != nullptr;
             a = ixmlNode_getNextSibling(a)) {
            if (ixmlNode_getNodeType(a) == eELEMENT_NODE && localName(a) == "action")
                actions.push_back(readAction(a));
        }
    });
    forEachElement(root, "serviceStateTable", [&](IXML_Node* table) {
        for (IXML_Node* v = ixmlNode_getFirstChild(table); v != nullptr;
             v = ixmlNode_getNextSibling(v)) {
            if (ixmlNode_getNodeType(v) == eELEMENT_NODE && localName(v) == "stateVariable")
                variables.push_back(readVariable(v));
        }
    });
    actions_ = std::move(actions);
    variables_ = std::move(variables);
    return 0;
}

int UpnpService::SetStateVariable(const std::string& name, const std::string& value) {
    for (StateVariable& v : variables_) {
        if (v.name == name) {
            v.value = value;
            return 0;
        }
    }
    DiagnosticLog::write("%s:NotFound\n", name.c_str());
    return -1;
}

std::optional<std::string> UpnpService::GetStateVariable(const std::string& name) const {
    for (const StateVariable& v : variables_) {
        if (v.name == name)
            return v.value;
    }
    DiagnosticLog::write("%s:NotFound\n", name.c_str());
    return std::nullopt;
}

std::string UpnpService::StateValue(const std::string& name) const {
    return GetStateVariable(name).value_or("");
}

const ServiceAction* UpnpService::FindAction(const std::string& name) const {
    for (const ServiceAction& a : actions_) {
        if (a.name == name)
            return &a;
    }
    return nullptr;
}

bool UpnpService::SendActionResponse(ActionRequest& request, const ResponsePairs& pairs) const {
    if (pairs.empty())
        return request.setEmptyResult(serviceType_);
    bool ok = true;
    bool any = false;
    for (const auto& [name, value] : pairs) {
        if (name.empty())
            continue;
        ok = request.addResult(serviceType_, name, value) && ok;
        any = true;
    }
    if (!any)
        return request.setEmptyResult(serviceType_);
    return ok;
}

int UpnpService::AcceptSubscription(int deviceHandle, const SubscriptionRequest& request, int count,
                                    const ResponsePairs& pairs) const {
    if (count < 0 || static_cast<std::size_t>(count) != pairs.size()) {
        DiagnosticLog::write("index=%d count=%d\n", static_cast<int>(pairs.size()), count);
        return -1;
    }
    std::vector<std::string> names;
    std::vector<std::string> values;
    for (const auto& [name, value] : pairs) {
        if (name.empty()) {
            DiagnosticLog::write("index=%d count=%d\n", static_cast<int>(names.size()), count);
            return -1;
        }
        names.push_back(name);
        values.push_back(value);
    }
    const std::string udn = owner_ != nullptr ? owner_->udn() : std::string();
    return upnp::acceptSubscription(deviceHandle, udn, serviceId_, names, values, request.sid()) ==
                   0
               ? 0
               : -1;
}

void UpnpService::HandleAction(ActionRequest&) {}

}  // namespace corvid::server
