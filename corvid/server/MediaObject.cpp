#include "corvid/server/MediaObject.h"

namespace corvid::server {

using sharing::MediaType;

const char* MediaObject::UpnpClass() const {
    if (container)
        return "object.container.storageFolder";
    switch (mediaType) {
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

const char* MediaObject::ProtocolInfo() const {
    switch (mediaType) {
        case MediaType::Music:
            return "http-get:*:audio/mpeg:*";
        case MediaType::Jpeg:
            return "http-get:*:image/jpeg:*";
        case MediaType::Video:
        case MediaType::Record:
            return "http-get:*:video/avi:*";  // whatever the file's real format
    }
    return "http-get:*:*:*";
}

}  // namespace corvid::server
