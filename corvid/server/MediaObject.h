#pragma once
// One container (a shared folder or a folder below it) or item (a file) of the content tree.

#include <cstdint>
#include <ctime>
#include <string>

#include "corvid/sharing/MediaType.h"

namespace corvid::server {

class MediaObject {
  public:
    virtual ~MediaObject() = default;
    virtual bool IsContainer() const { return container; }

    // upnp:class by kind and media type.
    const char* UpnpClass() const;
    // The res element's protocolInfo by media type.
    const char* ProtocolInfo() const;
    // Items: the part of the resource URL after the virtual directory's base URL.
    const std::string& ResourcePath() const { return resourcePath; }

    std::string id;            // "%016d" of the object number
    std::string parentId;      // "0" for a shared folder itself
    std::string title;         // valid UTF-8
    std::string resourcePath;  // items: "/audio/<id>/<name>.<ext>", percent-encoded
    std::string path;          // the file or folder on disk
    std::string extension;     // items only: the extension as found on disk
    std::uint64_t size = 0;    // items only
    std::uint64_t number = 0;  // the object number behind id
    std::time_t modified = 0;
    std::uint32_t updateId = 10;  // containers: goes up when their children change
    std::uint64_t signature = 0;  // containers: digest of the children's names, sizes, times
    sharing::MediaType mediaType = sharing::MediaType::Music;
    bool container = false;
};

}  // namespace corvid::server
