#pragma once
// What a file on the PC plays as, from the text after the last "." of its name. A part file
// (".ots") plays as the kind of the ending before it.

#include <string_view>

namespace velkport::recordings::playback {

enum class MediaKind { None = 0, Radio = 1, Tv = 2, Mp3 = 3 };

// ".mp3" MP3, ".rts" radio, ".ts" TV, "x.ts.ots" TV, "x.rts.ots" radio; anything else None.
// Endings are matched without regard to case.
MediaKind MediaKindOf(std::string_view fileName);

}  // namespace velkport::recordings::playback
