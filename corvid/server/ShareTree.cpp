#include "corvid/server/ShareTree.h"

#include <dirent.h>
#include <sys/stat.h>
#include <upnp/ixml.h>

#include <cctype>
#include <cinttypes>
#include <cstdio>

#include "corvid/server/Utf8Text.h"

namespace corvid::server {

using sharing::MediaType;

namespace {

constexpr int kMaxDepth = 64;

const char* const kDidlRoot =
    "<DIDL-Lite xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
    "xmlns:upnp=\"urn:schemas-upnp-org:metadata-1-0/upnp/\" "
    "xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\"></DIDL-Lite>";

std::string objectId(std::uint64_t n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%016" PRIu64, n);
    return buf;
}

std::string parentIdOf(std::uint64_t parent) {
    return parent == 0 ? "0" : objectId(parent);
}

bool equalsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

const char* itemClass(MediaType type) {
    switch (type) {
        case MediaType::Music:
            return "object.item.audioItem.musicTrack";
        case MediaType::Jpeg:
            return "object.item.imageItem";
        case MediaType::Video:
        case MediaType::Record:
            return "object.item.videoItem";
    }
    return "object.item";
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

const char* protocolInfo(MediaType type) {
    switch (type) {
        case MediaType::Music:
            return "http-get:*:audio/mpeg:*";
        case MediaType::Jpeg:
            return "http-get:*:image/jpeg:*";
        case MediaType::Video:
        case MediaType::Record:
            return "http-get:*:video/avi:*";
    }
    return "http-get:*:*:*";
}

// Small builder over one ixml document; every call checks its result.
class DidlBuilder {
  public:
    DidlBuilder() : doc_(XmlDocument::parse(kDidlRoot)) {
        if (doc_.valid())
            root_ = ixmlNode_getFirstChild(reinterpret_cast<IXML_Node*>(doc_.get()));
    }
    bool valid() const { return root_ != nullptr; }

    // Objects are prepended (ixml appends by walking the whole child list); the caller walks
    // the object list backwards so that the document keeps list order.
    bool prepend(const MediaObject& o) {
        IXML_Element* e = element(o.IsContainer() ? "container" : "item");
        if (e == nullptr)
            return false;
        ixmlElement_setAttribute(e, "id", o.id.c_str());
        ixmlElement_setAttribute(e, "parentId", o.parentId.c_str());
        ixmlElement_setAttribute(e, "restricted", "false");
        bool ok = child(e, "dc:title", o.title) && child(e, "upnp:class", o.upnpClass);
        if (!o.IsContainer()) {
            IXML_Element* res = nullptr;
            ok = ok && (res = childElement(e, "res", o.resourceUrl)) != nullptr;
            if (res != nullptr) {
                ixmlElement_setAttribute(res, "protocolInfo", protocolInfo(o.mediaType));
                ixmlElement_setAttribute(res, "size", std::to_string(o.size).c_str());
            }
        }
        IXML_Node* first = ixmlNode_getFirstChild(root_);
        const int rc = first != nullptr
                           ? ixmlNode_insertBefore(root_, reinterpret_cast<IXML_Node*>(e), first)
                           : ixmlNode_appendChild(root_, reinterpret_cast<IXML_Node*>(e));
        if (rc != IXML_SUCCESS) {
            ixmlElement_free(e);
            return false;
        }
        return ok;
    }

    XmlDocument take() { return std::move(doc_); }

  private:
    IXML_Element* element(const char* name) {
        IXML_Element* e = nullptr;
        return ixmlDocument_createElementEx(doc_.get(), name, &e) == IXML_SUCCESS ? e : nullptr;
    }

    IXML_Element* childElement(IXML_Element* parent, const char* name, const std::string& text) {
        IXML_Element* e = element(name);
        if (e == nullptr)
            return nullptr;
        IXML_Node* t = nullptr;
        if (ixmlDocument_createTextNodeEx(doc_.get(), text.c_str(), &t) != IXML_SUCCESS) {
            ixmlElement_free(e);
            return nullptr;
        }
        ixmlNode_appendChild(reinterpret_cast<IXML_Node*>(e), t);
        ixmlNode_appendChild(reinterpret_cast<IXML_Node*>(parent), reinterpret_cast<IXML_Node*>(e));
        return e;
    }

    bool child(IXML_Element* parent, const char* name, const std::string& text) {
        return childElement(parent, name, text) != nullptr;
    }

    XmlDocument doc_;
    IXML_Node* root_ = nullptr;
};

}  // namespace

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
    // Object number n sits at index n - 1, so a well-formed id needs no search.
    if (id.size() != 16)
        return nullptr;
    std::uint64_t n = 0;
    for (char c : id) {
        if (c < '0' || c > '9')
            return nullptr;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (n == 0 || n > objects_.size())
        return nullptr;
    const MediaObject* o = objects_[n - 1].get();
    return o->id == id ? o : nullptr;
}

void ShareTree::Init() {
    state_ = Initialised;
}

void ShareTree::Clear() {
    roots_.clear();
    objects_.clear();
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

int ShareTree::Rescan() {
    objects_.clear();
    counter_ = 0;
    for (const ShareRoot& root : roots_) {
        std::string path = root.path;
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        const std::uint64_t folder = addFolder(0, path, root.mediaType);
        walk(folder, path, root.mediaType, 0);
    }
    state_ = Scanned;
    return 0;
}

std::uint64_t ShareTree::addFolder(std::uint64_t parent, const std::string& path, MediaType type) {
    auto o = std::make_unique<MediaObject>();
    const std::uint64_t n = ++counter_;
    o->id = objectId(n);
    o->parentId = parentIdOf(parent);
    const auto slash = path.rfind('/');
    o->title = Utf8Text(slash == std::string::npos ? path : path.substr(slash + 1));
    o->upnpClass = "object.container.storageFolder";
    o->path = path;
    o->mediaType = type;
    o->container = true;
    objects_.push_back(std::move(o));
    return n;
}

void ShareTree::walk(std::uint64_t parent, const std::string& folder, MediaType type, int depth) {
    if (depth >= kMaxDepth)
        return;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;  // unreadable folders are simply empty
    const std::string prefix = folder == "/" ? folder : folder + "/";
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = prefix + name;
        bool isDir = e->d_type == DT_DIR;
        std::uint64_t size = 0;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (lstat(path.c_str(), &st) != 0)
                continue;
            isDir = S_ISDIR(st.st_mode);
        }
        if (!isDir) {
            // Linked folders are not followed (they could loop); linked files are served.
            struct stat st {};
            if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            size = static_cast<std::uint64_t>(st.st_size);
        }
        if (isDir) {
            const std::uint64_t n = addFolder(parent, path, type);
            walk(n, path, type, depth + 1);
        } else {
            addItem(parent, path, name, type, size);
        }
    }
    closedir(dir);
}

void ShareTree::addItem(std::uint64_t parent, const std::string& path, const std::string& name,
                        MediaType type, std::uint64_t size) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size())
        return;
    const std::string extension = name.substr(dot + 1);
    if (!Accepts(type, extension))
        return;
    auto o = std::make_unique<MediaObject>();
    const std::uint64_t n = ++counter_;
    o->id = objectId(n);
    o->parentId = parentIdOf(parent);
    o->title = Utf8Text(name.substr(0, dot));
    o->upnpClass = itemClass(type);
    const bool tsUrl =
        equalsNoCase(extension, "tts") && (type == MediaType::Video || type == MediaType::Record);
    const std::string urlExtension = tsUrl ? "ts" : extension;
    o->resourceUrl = baseUrl_ + "/" + mediaWord(type) + "/" + o->id + "/" +
                     PercentEncode(o->title) + "." + PercentEncode(urlExtension);
    o->path = path;
    o->extension = extension;
    o->size = size;
    o->mediaType = type;
    o->container = false;
    objects_.push_back(std::move(o));
}

XmlDocument ShareTree::browse(const std::string& objectId, bool categories, int& count) const {
    count = 0;
    DidlBuilder didl;
    if (!didl.valid())
        return {};
    int category = -1;
    if (categories && objectId.size() == 1 && objectId[0] >= '1' && objectId[0] <= '4')
        category = objectId[0] - '1';
    for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) {
        const MediaObject& o = **it;
        const bool inCategory = category >= 0 && o.parentId == "0" && o.IsContainer() &&
                                static_cast<int>(o.mediaType) == category;
        if (inCategory || o.parentId == objectId) {
            if (didl.prepend(o))
                ++count;
        }
    }
    return didl.take();
}

XmlDocument ShareTree::BrowseDirectChildren(const std::string& objectId, int, int,
                                            int& count) const {
    // Every matching object is returned; StartingIndex and RequestedCount are not applied.
    return browse(objectId, true, count);
}

XmlDocument ShareTree::BrowseMetadata(const std::string& objectId) const {
    int count = 0;
    return browse(objectId, false, count);
}

}  // namespace corvid::server
