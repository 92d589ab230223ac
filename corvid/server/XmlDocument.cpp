#include "corvid/server/XmlDocument.h"

#include <upnp/ixml.h>

#include <cstring>

namespace corvid::server {

void XmlDocument::Free::operator()(IXML_Document* d) const {
    ixmlDocument_free(d);
}

XmlDocument XmlDocument::parse(const std::string& text) {
    // ixml reads a C string: text with an embedded NUL is not a document we accept.
    if (text.find('\0') != std::string::npos)
        return {};
    // Two of ixml's scans can step past the end of malformed text (an unclosed CDATA section
    // ending in a non-XML byte, a character reference running to the end); two line feeds after
    // the text stop both, and white space after the root element changes no outcome.
    const std::string guarded = text + "\n\n";
    IXML_Document* doc = nullptr;
    if (ixmlParseBufferEx(guarded.c_str(), &doc) != IXML_SUCCESS)
        return {};
    return XmlDocument(doc);
}

std::string XmlDocument::print() const {
    if (!doc_)
        return {};
    DOMString s = ixmlPrintNode(reinterpret_cast<IXML_Node*>(doc_.get()));
    std::string out = s != nullptr ? s : "";
    ixmlFreeDOMString(s);
    return out;
}

std::string localName(IXML_Node* node) {
    const char* n = ixmlNode_getNodeName(node);
    if (n == nullptr)
        return {};
    const char* colon = std::strchr(n, ':');
    return colon != nullptr ? std::string(colon + 1) : std::string(n);
}

std::string elementText(IXML_Node* element) {
    std::string out;
    for (IXML_Node* c = ixmlNode_getFirstChild(element); c != nullptr;
         c = ixmlNode_getNextSibling(c)) {
        if (ixmlNode_getNodeType(c) == eTEXT_NODE ||
            ixmlNode_getNodeType(c) == eCDATA_SECTION_NODE) {
            const char* v = ixmlNode_getNodeValue(c);
            if (v != nullptr)
                out += v;
        }
    }
    return out;
}

IXML_Node* childElement(IXML_Node* parent, const char* name) {
    for (IXML_Node* c = ixmlNode_getFirstChild(parent); c != nullptr;
         c = ixmlNode_getNextSibling(c)) {
        if (ixmlNode_getNodeType(c) == eELEMENT_NODE && localName(c) == name)
            return c;
    }
    return nullptr;
}

std::string actionArgument(IXML_Document* doc, const std::string& name) {
    if (doc == nullptr)
        return {};
    IXML_NodeList* list = ixmlDocument_getElementsByTagName(doc, name.c_str());
    if (list == nullptr)
        return {};
    std::string value;
    if (IXML_Node* element = ixmlNodeList_item(list, 0)) {
        for (IXML_Node* c = ixmlNode_getFirstChild(element); c != nullptr;
             c = ixmlNode_getNextSibling(c)) {
            const char* v = ixmlNode_getNodeValue(c);
            if (ixmlNode_getNodeType(c) == eTEXT_NODE && v != nullptr)
                value += v;
        }
    }
    ixmlNodeList_free(list);
    return value;
}

}  // namespace corvid::server
