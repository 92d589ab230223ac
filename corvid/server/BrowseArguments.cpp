#include "corvid/server/BrowseArguments.h"

#include <charconv>

#include "corvid/server/ContentStore.h"
#include "corvid/server/XmlDocument.h"

namespace corvid::server {

namespace {

// A decimal integer; anything else (or out of range) is 0.
int toInt(const std::string& s) {
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size() ? v : 0;
}

}  // namespace

BrowseArguments BrowseArguments::From(IXML_Document* request) {
    BrowseArguments a;
    a.objectId = actionArgument(request, "ObjectID");
    a.browseFlag = actionArgument(request, "BrowseFlag");
    a.startingIndex = toInt(actionArgument(request, "StartingIndex"));
    a.requestedCount = toInt(actionArgument(request, "RequestedCount"));
    return a;
}

BrowseAnswer BrowseArguments::Answer(const ContentStore& store) const {
    BrowseAnswer answer;
    if (browseFlag == "BrowseDirectChildren") {
        answer.result =
            store.BrowseDirectChildren(objectId, startingIndex, requestedCount, answer.count);
    } else if (browseFlag == "BrowseMetadata") {
        answer.result = store.BrowseMetadata(objectId, answer.count);
    } else {
        return answer;
    }
    answer.answered = true;
    answer.updateId = store.UpdateIdOf(objectId);
    return answer;
}

}  // namespace corvid::server
