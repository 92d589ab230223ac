#pragma once
// One container (a shared folder or a folder below it) or item (a file) of the content tree.

#include <cstdint>
#include <string>

#include "corvid/sharing/MediaType.h"

namespace corvid::server {

class MediaObject {
  public:
    virtual ~MediaObject() = default;
    virtual bool IsContainer() const { return container; }

    std::string id;        // "%016d" of the running object number
    std::string parentId;  // "0" for a shared folder itself
    std::string title;     // valid UTF-8
    std::string upnpClass;
    std::string resourceUrl;  // items only
    std::string path;         // the file or folder on disk
    std::string extension;    // items only: the extension as found on disk
    std::uint64_t size = 0;   // items only
    sharing::MediaType mediaType = sharing::MediaType::Music;
    bool container = false;
};

}  // namespace corvid::server
