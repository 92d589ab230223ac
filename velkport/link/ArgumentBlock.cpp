#include "velkport/link/ArgumentBlock.h"

#include <algorithm>

#include "common/ByteOrder.h"
#include "common/ByteReader.h"

namespace velkport::link {

ArgumentBlock ArgumentBlock::WithText(std::string_view text, std::size_t size) {
    ArgumentBlock b(size);
    b.SetText(0, text);
    return b;
}

ArgumentBlock ArgumentBlock::WithFlagAndText(std::uint8_t flag, std::string_view text,
                                             std::size_t size) {
    ArgumentBlock b(size);
    b.SetByte(0, flag);
    b.SetText(1, text);
    return b;
}

void ArgumentBlock::SetByte(std::size_t offset, std::uint8_t v) {
    if (offset < size())
        bytes_[offset] = v;
}

void ArgumentBlock::SetU32(std::size_t offset, std::uint32_t v) {
    if (offset <= size() && size() - offset >= 4)
        common::storeBe32(&bytes_[offset], v);
}

void ArgumentBlock::SetText(std::size_t offset, std::string_view text) {
    if (offset >= size())
        return;
    const std::size_t room = size() - offset - 1;  // one byte stays for the terminator
    const std::size_t n = std::min(room, text.size());
    std::copy_n(text.begin(), n, bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
    bytes_[offset + n] = 0;
}

std::uint32_t ArgumentBlock::U32(std::size_t offset) const {
    common::ByteReader r(bytes_);
    r.seek(offset);
    std::uint32_t v = r.be32();
    return r.ok() ? v : 0;
}

std::string ArgumentBlock::Text(std::size_t offset) const {
    common::ByteReader r(bytes_);
    if (!r.seek(offset))
        return {};
    return r.fixedText(r.remaining());
}

bool ArgumentBlock::Parse(std::span<const std::uint8_t> bytes, ArgumentBlock& out) {
    if (bytes.size() != kSize && bytes.size() != kLargeSize)
        return false;
    out.bytes_.assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace velkport::link
