#pragma once
// The files a recording plays from: the opened file first, then its part files ("x_1.ts.ots",
// "x_2.ts.ots", ... beside "x.ts") in the order of their numbers. The "Linked File" menu lists
// them and a split recording plays them as one stream.

#include <filesystem>
#include <vector>

namespace velkport::recordings::playback {

// The part files of a recording file, ordered by their numbers (x_2 before x_10). Names are
// matched without regard to case. An MP3 file or a part file itself has none.
std::vector<std::filesystem::path> PartFilesOf(const std::filesystem::path& file);

// The file followed by its part files.
std::vector<std::filesystem::path> RecordingPlaylist(const std::filesystem::path& file);

}  // namespace velkport::recordings::playback
