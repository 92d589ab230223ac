#pragma once
// The content tree built from the shared folders: every folder and every file whose extension
// suits its share's media type, numbered in walk order ("%016d"), held as one flat list in
// creation order. Browse answers are DIDL-Lite documents built from that list.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "corvid/server/ContentStore.h"
#include "corvid/server/MediaObject.h"

namespace corvid::server {

struct ShareRoot {
    std::string path;
    sharing::MediaType mediaType;
};

class ShareTree : public ContentStore {
  public:
    enum State { Empty = 0, Initialised = 1, Scanned = 2, Started = 3, Stopped = 4 };

    // baseUrl: "http://IP:PORT/content", the start of every resource URL.
    explicit ShareTree(std::string baseUrl);

    const MediaObject* FindById(const std::string& id) const override;
    int Start() override;
    int Stop() override;
    void Init() override;
    void Clear() override;
    int AddShare(const std::string& path, const std::string& mediaTypeName) override;
    void Reserved1() override {}
    void Reserved2() override {}
    int Rescan() override;
    XmlDocument BrowseMetadata(const std::string& objectId) const override;
    XmlDocument BrowseDirectChildren(const std::string& objectId, int startingIndex,
                                     int requestedCount, int& count) const override;

    int state() const { return state_; }
    const std::string& baseUrl() const { return baseUrl_; }
    const std::vector<std::unique_ptr<MediaObject>>& objects() const { return objects_; }

    // Accepted extension for a media type (any case)?
    static bool Accepts(sharing::MediaType type, const std::string& extension);

  private:
    std::uint64_t addFolder(std::uint64_t parent, const std::string& path, sharing::MediaType type);
    void walk(std::uint64_t parent, const std::string& folder, sharing::MediaType type, int depth);
    void addItem(std::uint64_t parent, const std::string& path, const std::string& name,
                 sharing::MediaType type, std::uint64_t size);
    XmlDocument browse(const std::string& objectId, bool categories, int& count) const;

    std::string baseUrl_;
    std::vector<ShareRoot> roots_;
    std::vector<std::unique_ptr<MediaObject>> objects_;
    std::uint64_t counter_ = 0;
    int state_ = Empty;
};

}  // namespace corvid::server
