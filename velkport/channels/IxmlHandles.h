#pragma once
// Owning handles for the ixml library's documents, detached nodes and printed strings.

#include <ixml.h>

#include <memory>

namespace velkport::channels {

struct IxmlDocumentFree {
    void operator()(IXML_Document* d) const { ixmlDocument_free(d); }
};
struct IxmlNodeFree {
    void operator()(IXML_Node* n) const { ixmlNode_free(n); }
};
struct IxmlStringFree {
    void operator()(char* s) const { ixmlFreeDOMString(s); }
};

using IxmlDocumentPtr = std::unique_ptr<IXML_Document, IxmlDocumentFree>;
// A node that belongs to no tree (its children go with it).
using IxmlNodePtr = std::unique_ptr<IXML_Node, IxmlNodeFree>;
using IxmlStringPtr = std::unique_ptr<char, IxmlStringFree>;

}  // namespace velkport::channels
