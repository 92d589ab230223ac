#pragma once
// An ixml document that frees itself, and the few DOM walks the media server needs.

#include <memory>
#include <string>

typedef struct _IXML_Document IXML_Document;
typedef struct _IXML_Node IXML_Node;

namespace corvid::server {

class XmlDocument {
  public:
    XmlDocument() = default;
    explicit XmlDocument(IXML_Document* doc) : doc_(doc) {}
    // Parses text; an invalid document gives an empty object (valid() false).
    static XmlDocument parse(const std::string& text);

    bool valid() const { return doc_ != nullptr; }
    IXML_Document* get() const { return doc_.get(); }
    IXML_Document* release() { return doc_.release(); }
    // The document without the XML prolog, "" when empty.
    std::string print() const;

  private:
    struct Free {
        void operator()(IXML_Document* d) const;
    };
    std::unique_ptr<IXML_Document, Free> doc_;
};

// Node name without any namespace prefix.
std::string localName(IXML_Node* node);
// Concatenated text children of an element.
std::string elementText(IXML_Node* element);
// The first child element with the given local name, or null.
IXML_Node* childElement(IXML_Node* parent, const char* name);
// Text of the first element named name anywhere in a document, "" when there is none.
std::string actionArgument(IXML_Document* doc, const std::string& name);

}  // namespace corvid::server
