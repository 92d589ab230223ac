#pragma once
// The content tree as the ContentDirectory sees it. ShareTree is the one implementation.

#include <cstdint>
#include <string>

namespace corvid::server {

class MediaObject;

class ContentStore {
  public:
    virtual ~ContentStore() = default;
    virtual const MediaObject* FindById(const std::string& id) const = 0;
    virtual int Start() = 0;
    virtual int Stop() = 0;
    virtual void Init() = 0;
    virtual void Clear() = 0;
    virtual int AddShare(const std::string& path, const std::string& mediaTypeName) = 0;
    virtual void Reserved1() = 0;
    virtual void Reserved2() = 0;
    virtual int Rescan() = 0;
    // DIDL-Lite text; count: the number of elements in it.
    virtual std::string BrowseMetadata(const std::string& objectId, int& count) const = 0;
    virtual std::string BrowseDirectChildren(const std::string& objectId, int startingIndex,
                                             int requestedCount, int& count) const = 0;
    // The update id a Browse of objectId reports.
    virtual std::uint32_t UpdateIdOf(const std::string& objectId) const = 0;
};

}  // namespace corvid::server
