#include "velkport/media/FolderTreeEntry.h"

#include <algorithm>

#include "common/ByteReader.h"

namespace velkport::media {

std::vector<std::string> FolderTreeEntry::levels() const {
    std::vector<std::string> out;
    std::string part;
    for (char c : name) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                out.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        out.push_back(std::move(part));
    return out;
}

FolderTreeEntry::Bytes FolderTreeEntry::Build() const {
    Bytes b{};
    b[0] = kind;
    const std::size_t n = std::min(name.size(), kSize - 2);
    std::copy_n(name.begin(), n, b.begin() + 1);
    return b;
}

bool FolderTreeEntry::Parse(std::span<const std::uint8_t> bytes, FolderTreeEntry& out) {
    if (bytes.size() < kSize)
        return false;
    common::ByteReader r(bytes.first(kSize));
    FolderTreeEntry e;
    e.kind = r.u8();
    e.name = r.fixedText(kSize - 1);
    if (!r.ok())
        return false;
    out = std::move(e);
    return true;
}

}  // namespace velkport::media
