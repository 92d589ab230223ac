#pragma once
// Small helpers the parts of the recordings manager share: sizes and limits, the blocks that
// carry a name or an id, and file names matched without regard to case.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "velkport/link/ArgumentBlock.h"
#include "velkport/recordings/RecordText.h"

namespace velkport::recordings::detail {

inline constexpr std::uint64_t kMiB = 1024 * 1024;
inline constexpr std::uint64_t kSplitMargin = 64512;
inline constexpr std::uint64_t kTvSmallFile = kMiB;
inline constexpr std::uint64_t kRadioSmallFile = 1024;
inline constexpr std::size_t kMaxHeaderBlocks = 65536;
inline constexpr std::size_t kMaxListEntries = 100000;

// The first "%s" or "%d" of a catalogue text filled with arg.
inline std::string Fill(const std::string& text, const std::string& arg) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && (text[i + 1] == 's' || text[i + 1] == 'd'))
            return text.substr(0, i) + arg + text.substr(i + 2);
    return text;
}

inline std::vector<std::uint8_t> NameBlock(const std::string& text) {
    auto b = link::ArgumentBlock::WithText(text);
    return {b.data(), b.data() + b.size()};
}

inline std::vector<std::uint8_t> IdBlock(int id, std::size_t size = link::ArgumentBlock::kSize) {
    std::vector<std::uint8_t> b(size, 0);
    common::storeBe32(b.data(), static_cast<std::uint32_t>(id));
    return b;
}

// The file name up to its last "." (the whole name when it has none).
inline std::string Stem(const std::string& name) {
    auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

using common::EndsWithNoCase;

// A file of the folder whose name equals name without regard to case.
inline std::optional<std::filesystem::path> FindNoCase(const std::filesystem::path& folder,
                                                       const std::string& name) {
    std::error_code ec;
    if (std::filesystem::exists(folder / name, ec))
        return folder / name;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (EqualsNoCase(e.path().filename().string(), name))
            return e.path();
    return std::nullopt;
}

}  // namespace velkport::recordings::detail
