#include "velkport/recordings/playback/MediaKind.h"

#include "velkport/recordings/RecordText.h"

namespace velkport::recordings::playback {

namespace {

// The text after the last "." and the name in front of it; empty ending when there is no ".".
std::string_view SplitEnding(std::string_view name, std::string_view& front) {
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        front = name;
        return {};
    }
    front = name.substr(0, dot);
    return name.substr(dot + 1);
}

}  // namespace

MediaKind MediaKindOf(std::string_view fileName) {
    std::string_view front;
    std::string_view ending = SplitEnding(fileName, front);
    if (EqualsNoCase(ending, "ots"))
        ending = SplitEnding(front, front);
    else if (EqualsNoCase(ending, "mp3"))
        return MediaKind::Mp3;
    if (EqualsNoCase(ending, "rts"))
        return MediaKind::Radio;
    if (EqualsNoCase(ending, "ts"))
        return MediaKind::Tv;
    return MediaKind::None;
}

}  // namespace velkport::recordings::playback
