#include "velkport/recordings/playback/Playlist.h"

#include <algorithm>
#include <string>
#include <utility>

#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/playback/MediaKind.h"

namespace velkport::recordings::playback {

namespace fs = std::filesystem;

namespace {

// The number n of a part file name "stem_n.ending.ots", or -1 when the name is not one.
long PartNumber(const std::string& name, const std::string& stem, const std::string& ending) {
    const std::string tail = "." + ending + ".ots";
    if (name.size() < stem.size() + 2 + tail.size())
        return -1;
    if (!EqualsNoCase(std::string_view(name).substr(0, stem.size()), stem) ||
        name[stem.size()] != '_' ||
        !EqualsNoCase(std::string_view(name).substr(name.size() - tail.size()), tail))
        return -1;
    std::string digits = name.substr(stem.size() + 1, name.size() - stem.size() - 1 - tail.size());
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stol(digits);
}

}  // namespace

std::vector<fs::path> PartFilesOf(const fs::path& file) {
    std::string name = file.filename().string();
    MediaKind kind = MediaKindOf(name);
    auto dot = name.rfind('.');
    if ((kind != MediaKind::Tv && kind != MediaKind::Radio) ||
        EqualsNoCase(name.substr(dot), ".ots"))
        return {};
    const std::string stem = name.substr(0, dot);
    const std::string ending = name.substr(dot + 1);

    std::vector<std::pair<long, fs::path>> found;
    std::error_code ec;
    fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        long n = PartNumber(e.path().filename().string(), stem, ending);
        if (n >= 0 && e.is_regular_file(ec))
            found.emplace_back(n, e.path());
    }
    std::sort(found.begin(), found.end());
    std::vector<fs::path> parts;
    for (auto& f : found)
        parts.push_back(std::move(f.second));
    return parts;
}

std::vector<fs::path> RecordingPlaylist(const fs::path& file) {
    std::vector<fs::path> list{file};
    auto parts = PartFilesOf(file);
    list.insert(list.end(), parts.begin(), parts.end());
    return list;
}

}  // namespace velkport::recordings::playback
