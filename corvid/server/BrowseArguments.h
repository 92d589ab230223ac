#pragma once
// The input arguments of a Browse request as they arrive in the SOAP body, and the answer the
// content tree gives for them.

#include <cstdint>
#include <string>

typedef struct _IXML_Document IXML_Document;

namespace corvid::server {

class ContentStore;

struct BrowseAnswer {
    bool answered = false;  // false: a flag this server does not know; no response is sent
    std::string result;     // DIDL-Lite text
    int count = 0;          // NumberReturned and TotalMatches
    std::uint32_t updateId = 0;
};

struct BrowseArguments {
    std::string objectId;
    std::string browseFlag;
    int startingIndex = 0;  // read, and like RequestedCount without effect on the answer
    int requestedCount = 0;

    // The arguments of an action request document; missing ones are empty or 0.
    static BrowseArguments From(IXML_Document* request);
    BrowseAnswer Answer(const ContentStore& store) const;
};

}  // namespace corvid::server
