// Folder-tree entries (command 0x0A) as the receiver tree is built from them.
#include <cstdlib>

#include "velkport/media/FolderTreeEntry.h"
#include "velkport/media/MediaText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velkport::media::FolderTreeEntry;
    FolderTreeEntry e;
    if (!FolderTreeEntry::Parse(std::span<const std::uint8_t>(data, size), e))
        return 0;
    if (e.name.size() >= FolderTreeEntry::kSize)
        std::abort();
    for (const auto& level : e.levels())
        if (level.empty() || level.find('\\') != std::string::npos ||
            level.find('/') != std::string::npos)
            std::abort();
    velkport::media::RemoteFolderPath(e.levels());
    FolderTreeEntry again;
    if (!FolderTreeEntry::Parse(e.Build(), again) || again.kind != e.kind)
        std::abort();
    return 0;
}
