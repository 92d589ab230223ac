// Folder entries of the MP3 and JPEG areas as the managers show and download them: the row
// texts of any entry, and the rule that keeps a receiver name inside the chosen PC folder.
#include <cstdlib>
#include <filesystem>

#include "velkport/link/FolderEntry.h"
#include "velkport/media/MediaText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkport::media;
    velkport::link::FolderEntry e;
    if (!velkport::link::FolderEntry::Parse(std::span<const std::uint8_t>(data, size), e))
        return 0;
    for (MediaType type : {MediaType::Mp3, MediaType::Jpeg})
        if (RowTexts(type, e).size() != 4)
            std::abort();
    if (const auto name = SafeLocalName(e.name)) {
        const auto p = std::filesystem::path("/chosen") / *name;
        if (p.parent_path() != "/chosen" || p.filename() == ".." || p.filename() == ".")
            std::abort();
    }
    return 0;
}
