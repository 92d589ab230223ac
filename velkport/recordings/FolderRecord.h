#pragma once
// The receiver's recording folders (1024-byte records of REC_FOLDER_LIST) and the disk-usage
// answer of REC_DISK_USAGE.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velkport::recordings {

struct FolderRecord {
    std::int32_t id = 0;  // 0-255; anything else ends the list
    std::uint32_t parent = 0;
    std::string name;  // UTF-8

    bool endsList() const { return id < 0 || id > 255; }
};

std::optional<FolderRecord> ParseFolderRecord(std::span<const std::uint8_t> bytes);
void BuildFolderRecord(const FolderRecord& folder, std::span<std::uint8_t> out1024);

// One node of the receiver folder tree: folder 0 is the root (named "Root" when the receiver
// sent none); every other folder hangs under the folder whose id equals its parent value, in id
// order; a folder whose parent is itself or missing, or that would close a loop, is left out.
struct FolderNode {
    int id = 0;
    std::string name;
    std::vector<FolderNode> children;
};
FolderNode BuildFolderTree(const std::array<std::optional<FolderRecord>, 256>& table);

struct DiskUsage {
    std::uint32_t usedMiB = 0;
    std::uint32_t totalMiB = 0;
    std::uint32_t freeMiB() const { return totalMiB > usedMiB ? totalMiB - usedMiB : 0; }
};
std::optional<DiskUsage> ParseDiskUsage(std::span<const std::uint8_t> block256);
void BuildDiskUsage(const DiskUsage& usage, std::span<std::uint8_t> out256);

}  // namespace velkport::recordings
