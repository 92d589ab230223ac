#pragma once
// The XML channel list ("channel.xml"): the one format in which the channel database leaves and
// enters the program. The reader takes satellites, transponders, services and favorite groups;
// the writer stores services and favorite groups only.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "velkport/channels/ChannelDatabase.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::channels {

class ChannelListFile {
  public:
    static constexpr int kSuccess = 0;
    static constexpr int kFileDone = 104;
    // A receiver's full list is a few megabytes; a larger file is not read.
    static constexpr std::uintmax_t kMaxFileSize = 64u * 1024 * 1024;

    // Replaces the database by the file's content. A parser failure shows the ixml error name
    // and leaves the database empty. Returns the parser's result code (0 or 104 when read).
    static int read(ChannelDatabase& db, const std::filesystem::path& path,
                    shell::Prompter& prompter);
    // The same for a document held in memory.
    static int readText(ChannelDatabase& db, std::string_view xml, shell::Prompter& prompter);

    // The file text of the database: the TV table and the radio table in slot order, then the
    // favorite groups in the order given (the editor's tree order), TV groups first. Empty when
    // the document cannot be built.
    static std::string toText(const ChannelDatabase& db,
                              const std::vector<FavoriteGroup*>& tvGroups,
                              const std::vector<FavoriteGroup*>& radioGroups);
    // Writes toText to path: into a temporary file beside it, flushed, then renamed over it, so
    // a failure (a full disk, a size limit, a document that cannot be built) leaves any file
    // there as it was. False, with the reason in error when given, when it cannot be written.
    static bool write(const ChannelDatabase& db, const std::vector<FavoriteGroup*>& tvGroups,
                      const std::vector<FavoriteGroup*>& radioGroups,
                      const std::filesystem::path& path, std::string* error = nullptr);

    // The name shown for an ixml result code.
    static const char* ixmlErrorName(int code);
};

}  // namespace velkport::channels
