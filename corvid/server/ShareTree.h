#pragma once
// The content tree built from the shared folders: every folder and every file whose extension
// suits its share's media type, numbered in walk order ("%016d"), held as one flat list in
// creation order. Browse answers are DIDL-Lite text written from that list. A tree never
// changes once scanned; a rescan builds a new tree that keeps the numbers of the objects it
// still finds and counts the update ids of the folders whose contents changed.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
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
    static constexpr std::uint32_t kInitialUpdateId = 10;

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
    std::string BrowseMetadata(const std::string& objectId, int& count) const override;
    std::string BrowseDirectChildren(const std::string& objectId, int startingIndex,
                                     int requestedCount, int& count) const override;
    std::uint32_t UpdateIdOf(const std::string& objectId) const override;

    // The next Rescan keeps the numbers and update ids of the objects previous still has.
    void Succeed(std::shared_ptr<const ShareTree> previous) { previous_ = std::move(previous); }
    // True when the last Rescan found anything different from the tree it succeeded.
    bool changed() const { return changed_; }
    // True when realPath (symbolic links resolved) lies inside one of the shared folders.
    bool InsideShares(const std::string& realPath) const;

    int state() const { return state_; }
    const std::string& baseUrl() const { return baseUrl_; }
    const std::vector<std::unique_ptr<MediaObject>>& objects() const { return objects_; }

    // Accepted extension for a media type (any case)?
    static bool Accepts(sharing::MediaType type, const std::string& extension);

  private:
    struct Walk;
    MediaObject* addFolder(Walk& walk, std::uint64_t parent, const std::string& path);
    void walk(Walk& walk, MediaObject& folder, std::vector<std::string>& realStack);
    // True when the file became an item.
    bool addItem(Walk& walk, MediaObject& parent, const std::string& path, const std::string& name,
                 std::uint64_t size, std::time_t modified);
    std::uint64_t numberFor(Walk& walk, const std::string& path);
    std::size_t answerEstimate(std::size_t elements) const;

    std::string baseUrl_;
    std::vector<ShareRoot> roots_;
    std::vector<std::string> realRoots_;
    std::vector<std::unique_ptr<MediaObject>> objects_;
    std::vector<std::pair<std::uint64_t, std::size_t>> byNumber_;  // sorted by number
    std::shared_ptr<const ShareTree> previous_;
    std::uint64_t counter_ = 0;
    bool changed_ = false;
    int state_ = Empty;
};

}  // namespace corvid::server
