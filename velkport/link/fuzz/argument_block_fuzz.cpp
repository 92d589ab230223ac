// Argument blocks as the emulated receiver's command handlers read them: texts and numbers at
// any offset, also at and beyond the block's end.
#include <cstdlib>

#include "velkport/link/ArgumentBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using velkport::link::ArgumentBlock;
    ArgumentBlock block;
    if (!ArgumentBlock::Parse(std::span<const std::uint8_t>(data, size), block)) {
        // Not a whole block: read it as the text of a new one instead.
        const std::string_view text(reinterpret_cast<const char*>(data), size);
        const auto flagged = ArgumentBlock::WithFlagAndText(size ? data[0] : 0, text);
        if (flagged.Text(1).size() > ArgumentBlock::kSize - 2)
            std::abort();
        return 0;
    }
    for (std::size_t offset :
         {std::size_t{0}, std::size_t{1}, std::size_t{4}, size - 4, size - 1, size, size + 1}) {
        if (block.Text(offset).size() > size)
            std::abort();
        (void)block.U32(offset);
        (void)block.Byte(offset);
    }
    return 0;
}
