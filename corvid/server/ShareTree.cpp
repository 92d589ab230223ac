#include "corvid/server/ShareTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <unordered_map>

#include "corvid/server/DidlWriter.h"
#include "corvid/server/Utf8Text.h"

namespace corvid::server {

using sharing::MediaType;

namespace {

constexpr int kMaxDepth = 64;

std::string objectId(std::uint64_t n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%016" PRIu64, n);
    return buf;
}

std::string parentIdOf(std::uint64_t parent) {
    return parent == 0 ? "0" : objectId(parent);
}

// The number behind a well-formed id of 16 digits, 0 otherwise.
std::uint64_t numberOf(const std::string& id) {
    if (id.size() != 16)
        return 0;
    std::uint64_t n = 0;
    for (char c : id) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

std::string realPathOf(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) != nullptr ? std::string(buf) : std::string();
}

// FNV-1a, folded over the children of a folder so that a rescan sees which folders changed.
void mix(std::uint64_t& h, const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        h = (h ^ p[i]) * 1099511628211ULL;
}

bool equalsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

const char* mediaWord(MediaType type) {
    switch (type) {
        case MediaType::Music:
            return "audio";
        case MediaType::Jpeg:
            return "image";
        case MediaType::Video:
        case MediaType::Record:
            return "video";
    }
    return "video";
}

}  // namespace

// What one Rescan carries through the walk: the previous tree's objects by path, so that what
// is still there keeps its number.
struct ShareTree::Walk {
    std::unordered_map<std::string_view, const MediaObject*> previous;
};

ShareTree::ShareTree(std::string baseUrl) : baseUrl_(std::move(baseUrl)) {}

bool ShareTree::Accepts(MediaType type, const std::string& extension) {
    static const char* const kMusic[] = {"mp3"};
    static const char* const kJpeg[] = {"jpeg", "jpg"};
    static const char* const kVideo[] = {"avi", "mpeg", "mpg", "asf", "ts",  "mp2", "mp3", "wmv",
                                         "wma", "ogg",  "ogm", "mov", "3gp", "rm",  "rv",  "ra",
                                         "dts", "aac",  "ac3", "vob", "pva", "ps",  "wav", "tts"};
    static const char* const kRecord[] = {"ts", "tts"};
    auto any = [&](const auto& list) {
        for (const char* e : list) {
            if (equalsNoCase(extension, e))
                return true;
        }
        return false;
    };
    switch (type) {
        case MediaType::Music:
            return any(kMusic);
        case MediaType::Jpeg:
            return any(kJpeg);
        case MediaType::Video:
            return any(kVideo);
        case MediaType::Record:
            return any(kRecord);
    }
    return false;
}

const MediaObject* ShareTree::FindById(const std::string& id) const {
    const std::uint64_t n = numberOf(id);
    const auto it = std::lower_bound(byNumber_.begin(), byNumber_.end(),
                                     std::pair<std::uint64_t, std::size_t>(n, 0));
    if (n == 0 || it == byNumber_.end() || it->first != n)
        return nullptr;
    return objects_[it->second].get();
}

void ShareTree::Init() {
    state_ = Initialised;
}

void ShareTree::Clear() {
    roots_.clear();
    realRoots_.clear();
    objects_.clear();
    byNumber_.clear();
    counter_ = 0;
    state_ = Empty;
}

int ShareTree::AddShare(const std::string& path, const std::string& mediaTypeName) {
    const auto type = sharing::mediaTypeFromName(mediaTypeName);
    if (!type)
        return -1;
    roots_.push_back({path, *type});
    return 0;
}

int ShareTree::Start() {
    if (state_ == Initialised || state_ == Scanned || state_ == Started) {
        const int rc = Rescan();
        if (rc == 0)
            state_ = Started;
        return rc;
    }
    state_ = Empty;
    return 3;
}

int ShareTree::Stop() {
    if (state_ == Initialised || state_ == Scanned || state_ == Started) {
        state_ = Stopped;
        return 0;
    }
    state_ = Empty;
    return 3;
}

bool ShareTree::InsideShares(const std::string& realPath) const {
    for (const std::string& root : realRoots_) {
        if (realPath == root || root == "/" ||
            (realPath.size() > root.size() && realPath.compare(0, root.size(), root) == 0 &&
             realPath[root.size()] == '/'))
            return true;
    }
    return false;
}

int ShareTree::Rescan() {
    Walk w;
    counter_ = 0;
    if (previous_) {
        for (const auto& o : previous_->objects_) {
            w.previous.emplace(o->path, o.get());
            counter_ = std::max(counter_, o->number);
        }
    }
    objects_.clear();
    realRoots_.clear();
    for (const ShareRoot& root : roots_)
        realRoots_.push_back(realPathOf(root.path));
    for (std::size_t i = 0; i < roots_.size(); ++i) {
        std::string path = roots_[i].path;
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        MediaObject* folder = addFolder(w, 0, path);
        folder->mediaType = roots_[i].mediaType;
        std::vector<std::string> realStack;
        if (!realRoots_[i].empty()) {
            realStack.push_back(realRoots_[i]);
            walk(w, *folder, realStack);
        }
    }
    byNumber_.clear();
    byNumber_.reserve(objects_.size());
    for (std::size_t i = 0; i < objects_.size(); ++i)
        byNumber_.emplace_back(objects_[i]->number, i);
    std::sort(byNumber_.begin(), byNumber_.end());
    // Folders whose children differ from before count their update id up.
    changed_ = previous_ && previous_->objects_.size() != objects_.size();
    for (const auto& o : objects_) {
        if (!o->IsContainer())
            continue;
        const auto it = w.previous.find(o->path);
        if (it == w.previous.end() || !it->second->IsContainer()) {
            changed_ = changed_ || previous_ != nullptr;
        } else {
            o->updateId = it->second->updateId;
            if (it->second->signature != o->signature) {
                ++o->updateId;
                changed_ = true;
            }
        }
    }
    w.previous.clear();
    previous_.reset();
    state_ = Scanned;
    return 0;
}

std::uint64_t ShareTree::numberFor(Walk& w, const std::string& path) {
    const auto it = w.previous.find(path);
    return it != w.previous.end() ? it->second->number : ++counter_;
}

MediaObject* ShareTree::addFolder(Walk& w, std::uint64_t parent, const std::string& path) {
    auto o = std::make_unique<MediaObject>();
    o->number = numberFor(w, path);
    o->id = objectId(o->number);
    o->parentId = parentIdOf(parent);
    const auto slash = path.rfind('/');
    o->title = Utf8Text(slash == std::string::npos ? path : path.substr(slash + 1));
    o->path = path;
    o->container = true;
    objects_.push_back(std::move(o));
    return objects_.back().get();
}

void ShareTree::walk(Walk& w, MediaObject& folder, std::vector<std::string>& realStack) {
    if (realStack.size() > kMaxDepth)
        return;
    DIR* dir = opendir(folder.path.c_str());
    if (dir == nullptr)
        return;  // unreadable folders are simply empty
    const std::string prefix = folder.path == "/" ? folder.path : folder.path + "/";
    std::uint64_t signature = 14695981039346656037ULL;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = prefix + name;
        struct stat st {};
        // Looked up beside the open folder, not by the whole path again.
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        std::string real;
        if (S_ISLNK(st.st_mode)) {
            // A link is followed only to a target inside a shared folder.
            real = realPathOf(path);
            if (real.empty() || !InsideShares(real) || stat(path.c_str(), &st) != 0)
                continue;
        } else {
            real = realStack.back() + "/" + name;
        }
        // A folder lists a subfolder by its name only, an item with its size (and its time);
        // other files (a download's temporary file) change nothing a client sees.
        if (S_ISDIR(st.st_mode)) {
            // A folder that is already on the way down (a link back up) is not walked again.
            if (std::find(realStack.begin(), realStack.end(), real) != realStack.end())
                continue;
            mix(signature, name.data(), name.size() + 1);
            MediaObject* sub = addFolder(w, folder.number, path);
            sub->mediaType = folder.mediaType;
            sub->modified = st.st_mtime;
            realStack.push_back(real);
            walk(w, *sub, realStack);
            realStack.pop_back();
        } else if (S_ISREG(st.st_mode) &&
                   addItem(w, folder, path, name, static_cast<std::uint64_t>(st.st_size),
                           st.st_mtime)) {
            mix(signature, name.data(), name.size() + 1);
            mix(signature, &st.st_size, sizeof st.st_size);
            mix(signature, &st.st_mtim, sizeof st.st_mtim);
        }
    }
    closedir(dir);
    folder.signature = signature;
}

bool ShareTree::addItem(Walk& w, MediaObject& parent, const std::string& path,
                        const std::string& name, std::uint64_t size, std::time_t modified) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size())
        return false;
    const std::string extension = name.substr(dot + 1);
    const MediaType type = parent.mediaType;
    if (!Accepts(type, extension))
        return false;
    auto o = std::make_unique<MediaObject>();
    o->number = numberFor(w, path);
    o->id = objectId(o->number);
    o->parentId = parent.id;
    o->title = Utf8Text(name.substr(0, dot));
    const bool tsUrl =
        equalsNoCase(extension, "tts") && (type == MediaType::Video || type == MediaType::Record);
    o->resourcePath = std::string("/") + mediaWord(type) + "/" + o->id + "/" +
                      PercentEncode(o->title) + "." + PercentEncode(tsUrl ? "ts" : extension);
    o->path = path;
    o->extension = extension;
    o->size = size;
    o->modified = modified;
    o->mediaType = type;
    objects_.push_back(std::move(o));
    return true;
}

std::string ShareTree::BrowseDirectChildren(const std::string& objectId, int, int,
                                            int& count) const {
    // Every matching object is returned; StartingIndex and RequestedCount are not applied.
    int category = -1;
    if (objectId.size() == 1 && objectId[0] >= '1' && objectId[0] <= '4')
        category = objectId[0] - '1';
    std::vector<const MediaObject*> listed;
    std::size_t bytes = 0;
    for (const auto& o : objects_) {
        const bool inCategory = category >= 0 && o->parentId == "0" && o->IsContainer() &&
                                static_cast<int>(o->mediaType) == category;
        if (inCategory || o->parentId == objectId) {
            listed.push_back(o.get());
            bytes += DidlWriter::SizeOf(*o, baseUrl_.size());
        }
    }
    DidlWriter didl(bytes);
    for (const MediaObject* o : listed)
        didl.Append(*o, baseUrl_);
    count = didl.count();
    return didl.Finish();
}

std::string ShareTree::BrowseMetadata(const std::string& objectId, int& count) const {
    // An item answers for itself; a folder, the root and anything else with its children.
    const MediaObject* self = FindById(objectId);
    if (self != nullptr && !self->IsContainer()) {
        DidlWriter didl(DidlWriter::SizeOf(*self, baseUrl_.size()));
        didl.Append(*self, baseUrl_);
        count = didl.count();
        return didl.Finish();
    }
    std::size_t bytes = 0;
    for (const auto& o : objects_) {
        if (o->parentId == objectId)
            bytes += DidlWriter::SizeOf(*o, baseUrl_.size());
    }
    DidlWriter didl(bytes);
    for (const auto& o : objects_) {
        if (o->parentId == objectId)
            didl.Append(*o, baseUrl_);
    }
    count = didl.count();
    return didl.Finish();
}

std::uint32_t ShareTree::UpdateIdOf(const std::string& objectId) const {
    const MediaObject* o = FindById(objectId);
    return o != nullptr && o->IsContainer() ? o->updateId : kInitialUpdateId;
}

}  // namespace corvid::server
