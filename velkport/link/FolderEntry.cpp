#include "velkport/link/FolderEntry.h"

#include <algorithm>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"

namespace velkport::link {

FolderEntry FolderEntry::File(std::string name, std::uint32_t size) {
    FolderEntry e;
    e.kind = kFile;
    e.name = std::move(name);
    e.size = size;
    return e;
}

FolderEntry FolderEntry::Folder(std::string name) {
    FolderEntry e;
    e.kind = kFolder;
    e.name = std::move(name);
    return e;
}

FolderEntry FolderEntry::End() {
    FolderEntry e;
    e.kind = kEnd;
    return e;
}

FolderEntry::Bytes FolderEntry::Build() const {
    Bytes b{};
    b[0] = kind;
    const std::size_t n = std::min(name.size(), kNameField - 1);
    std::copy_n(name.begin(), n, b.begin() + kNameOffset);
    common::storeBe32(&b[kSizeOffset], size);
    if (!extraText.empty()) {
        const std::size_t t = std::min(extraText.size(), kExtraTextField - 1);
        std::copy_n(extraText.begin(), t, b.begin() + kExtraOffset);
    } else {
        common::storeBe32(&b[kExtraOffset], extraValue);
    }
    return b;
}

bool FolderEntry::Parse(std::span<const std::uint8_t> bytes, FolderEntry& out) {
    common::ByteReader r(bytes);
    FolderEntry e;
    e.kind = r.u8();
    e.name = r.fixedText(kSize - kNameOffset);
    if (!r.ok())
        return false;
    common::ByteReader fields(bytes);
    fields.seek(kSizeOffset);
    e.size = fields.be32();
    e.extraValue = fields.be32();
    fields.seek(kExtraOffset);
    e.extraText = fields.fixedText(kExtraTextField);
    if (!fields.ok())
        return false;
    out = std::move(e);
    return true;
}

}  // namespace velkport::link
