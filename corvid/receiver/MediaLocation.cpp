#include "corvid/receiver/MediaLocation.h"

#include <sstream>
#include <vector>

#include "common/IniFile.h"
#include "corvid/sharing/SharingSettings.h"

namespace corvid::receiver {

namespace {

std::optional<std::filesystem::path> refuse(std::string* why, const std::string& reason) {
    if (why != nullptr)
        *why = reason;
    return std::nullopt;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           common::IniFile::namesEqual(text.substr(0, prefix.size()), prefix);
}

// True when path is root itself or lies below it (both already free of links and "..").
bool inside(const std::filesystem::path& path, const std::filesystem::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty() && std::next(r) == root.end())
            break;  // a trailing separator
        if (p == path.end() || *p != *r)
            return false;
    }
    return true;
}

}  // namespace

std::optional<std::filesystem::path> MediaLocation::Resolve(std::string_view location,
                                                            const sharing::SharingSettings& shares,
                                                            const ContentLookup& lookup,
                                                            std::string* why) {
    if (location.find('\0') != std::string_view::npos)
        return refuse(why, "a zero byte in the location");
    if (startsWithNoCase(location, "http://")) {
        if (!lookup)
            return refuse(why, "no content tree to look the URL up in");
        auto file = lookup(location);
        if (!file)
            return refuse(why, "the URL names no file of the content tree");
        return file;
    }
    if (location.empty() || location.front() == '/' || location.front() == '\\')
        return refuse(why, "an absolute path");
    // corvidlet may write the separators either way.
    std::vector<std::string> segments;
    std::string segment;
    std::istringstream in{std::string(location)};
    while (std::getline(in, segment, '/')) {
        std::istringstream parts(segment);
        std::string part;
        while (std::getline(parts, part, '\\')) {
            if (part == "..")
                return refuse(why, "a \"..\" segment");
            if (!part.empty() && part != ".")
                segments.push_back(part);
        }
    }
    if (segments.size() < 2)
        return refuse(why, "no file inside a share");
    const sharing::ShareRecord* share = nullptr;
    for (std::size_t slot = 0; slot < sharing::SharingSettings::kMaxShares && !share; ++slot) {
        const auto* s = shares.Share(slot);
        if (s != nullptr && common::IniFile::namesEqual(s->name, segments.front()))
            share = s;
    }
    if (share == nullptr)
        return refuse(why, "no share named \"" + segments.front() + "\"");
    std::error_code ec;
    const auto root = std::filesystem::canonical(share->path, ec);
    if (ec)
        return refuse(why, "the share's folder is missing");
    std::filesystem::path file = root;
    for (std::size_t i = 1; i < segments.size(); ++i)
        file /= segments[i];
    // Links are followed to where they really lead; that place must still be in the share.
    const auto real = std::filesystem::canonical(file, ec);
    if (ec)
        return refuse(why, "no such file");
    if (!inside(real, root))
        return refuse(why, "the location leads outside its share");
    if (!std::filesystem::is_regular_file(real, ec))
        return refuse(why, "not a file");
    return real;
}

}  // namespace corvid::receiver
