#pragma once
// The media server's content tree over the stored shares, as a lookup for "http://" play
// locations: such a location names a file through that tree and through nothing else.

#include "corvid/receiver/MediaLocation.h"

namespace corvid::sharing {

class SharingSettings;

receiver::MediaLocation::ContentLookup ShareContentLookup(const SharingSettings& settings);

}  // namespace corvid::sharing
