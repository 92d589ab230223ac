// Feeds arbitrary bytes to the channel list reader, then writes what it read and reads that
// again: neither step may crash, and the second read must keep every service.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "velkport/channels/ChannelListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkport::channels;
    velkport::shell::SilentPrompter prompter;
    ChannelDatabase db;
    ChannelListFile::readText(db, std::string(reinterpret_cast<const char*>(data), size), prompter);
    const std::string text =
        ChannelListFile::toText(db, db.favoriteGroups(kTv), db.favoriteGroups(kRadio));
    ChannelDatabase again;
    const int rc = ChannelListFile::readText(again, text, prompter);
    if (rc != 0 || again.countServices(kTv) != db.countServices(kTv) ||
        again.countServices(kRadio) != db.countServices(kRadio))
        std::abort();
    return 0;
}
