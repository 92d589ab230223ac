// Folder listing entries as the listing reader takes them from the receiver.
#include <cstdlib>

#include "velkport/link/FolderEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velkport::link::FolderEntry;
    FolderEntry e;
    if (!FolderEntry::Parse(std::span<const std::uint8_t>(data, size), e))
        return 0;
    if (e.name.size() > FolderEntry::kSize - 1 || e.extraText.size() > FolderEntry::kExtraTextField)
        std::abort();
    if (static_cast<int>(e.isEnd()) + e.isFile() + e.isFolder() != 1)
        std::abort();
    // Building cuts the fields to their room; what fits survives a round trip.
    FolderEntry again;
    if (!FolderEntry::Parse(e.Build(), again) || again.kind != e.kind || again.size != e.size)
        std::abort();
    if (e.name.size() < FolderEntry::kNameField && again.name != e.name)
        std::abort();
    return 0;
}
