#pragma once
// Turns the media location of a play request into a file on the PC. A location "SHARE/path"
// names a file inside one of Corvid's shares and never reaches outside it: ".." segments,
// absolute paths and symbolic links that leave the share are refused. An "http://" location
// is looked up in the media server's content tree only, never fetched.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvid::sharing {
class SharingSettings;
}

namespace corvid::receiver {

class MediaLocation {
  public:
    // The file behind a content URL of the running media server, or nothing.
    using ContentLookup = std::function<std::optional<std::filesystem::path>(std::string_view)>;

    // The regular file the location names, or nothing with the reason in *why.
    static std::optional<std::filesystem::path> Resolve(std::string_view location,
                                                        const sharing::SharingSettings& shares,
                                                        const ContentLookup& lookup,
                                                        std::string* why = nullptr);
};

}  // namespace corvid::receiver
