// The header-block messages of a download, the record entry they carry, list messages and
// folder records: everything a receiver sends that the recordings manager takes apart.

#include <cstddef>
#include <cstdint>
#include <span>

#include "velkport/recordings/FolderRecord.h"
#include "velkport/recordings/HeaderBlock.h"
#include "velkport/recordings/RecordEntry.h"

using namespace velkport::recordings;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    if (auto block = ReadHeaderBlockMessage(bytes)) {
        if (block->payload.size() != block->header.payloadLength)
            __builtin_trap();
        for (bool radio : {false, true})
            (void)StoredHeaderBlock(*block, radio);
        (void)ParseRecordEntry(block->payload);
        (void)block->header.isClosing();
    }
    RecordEntry entry;
    (void)ParseListMessage(bytes, entry);
    (void)ParseFolderRecord(bytes);
    (void)ParseDiskUsage(bytes);
    return 0;
}
