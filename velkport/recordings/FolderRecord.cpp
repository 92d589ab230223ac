#include "velkport/recordings/FolderRecord.h"

#include <algorithm>
#include <cstring>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"
#include "velkport/recordings/RecordText.h"

namespace velkport::recordings {

namespace {
constexpr std::size_t kFolderNameField = 512;

void Attach(FolderNode& node, const std::array<std::optional<FolderRecord>, 256>& table,
            std::array<bool, 256>& placed) {
    for (int id = 1; id < 256; ++id) {
        const auto& f = table[static_cast<std::size_t>(id)];
        if (!f || placed[static_cast<std::size_t>(id)] ||
            f->parent != static_cast<unsigned>(node.id))
            continue;
        placed[static_cast<std::size_t>(id)] = true;
        node.children.push_back(FolderNode{id, f->name, {}});
    }
    for (FolderNode& child : node.children)
        Attach(child, table, placed);
}
}  // namespace

std::optional<FolderRecord> ParseFolderRecord(std::span<const std::uint8_t> bytes) {
    common::ByteReader r(bytes);
    FolderRecord f;
    f.id = static_cast<std::int32_t>(r.be32());
    f.parent = r.be32();
    f.name = r.fixedText(kFolderNameField);
    if (!r.ok())
        return std::nullopt;
    return f;
}

void BuildFolderRecord(const FolderRecord& folder, std::span<std::uint8_t> out1024) {
    std::fill(out1024.begin(), out1024.end(), 0);
    common::storeBe32(out1024.data(), static_cast<std::uint32_t>(folder.id));
    common::storeBe32(out1024.data() + 4, folder.parent);
    std::string name = CutToBytes(folder.name, kFolderNameField - 1);
    std::memcpy(out1024.data() + 8, name.data(), name.size());
}

FolderNode BuildFolderTree(const std::array<std::optional<FolderRecord>, 256>& table) {
    FolderNode root{0, table[0] ? table[0]->name : std::string("Root"), {}};
    std::array<bool, 256> placed{};
    placed[0] = true;
    // Walking down from the root, a folder is placed once, under the first node reached whose
    // id is its parent, so no folder ends up under itself and a loop of folders is left out.
    Attach(root, table, placed);
    return root;
}

std::optional<DiskUsage> ParseDiskUsage(std::span<const std::uint8_t> block256) {
    common::ByteReader r(block256);
    DiskUsage u;
    u.usedMiB = r.be32();
    u.totalMiB = r.be32();
    if (!r.ok())
        return std::nullopt;
    return u;
}

void BuildDiskUsage(const DiskUsage& usage, std::span<std::uint8_t> out256) {
    std::fill(out256.begin(), out256.end(), 0);
    common::storeBe32(out256.data(), usage.usedMiB);
    common::storeBe32(out256.data() + 4, usage.totalMiB);
}

}  // namespace velkport::recordings
