#include "velkport/media/MediaText.h"

#include <cctype>
#include <cstdio>

#include "common/Text.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::media {

namespace {

constexpr char kForbidden[] = {'\\', '/', ':', '*', '?', '"', '<', '>', '|'};

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string TwoDigits(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, v < 10 ? "0%u" : "%u", v);
    return buf;
}

}  // namespace

std::string FormatSeconds(std::uint32_t seconds) {
    std::string out;
    if (seconds >= 3600)
        out = std::to_string(seconds / 3600) + ":";
    return out + TwoDigits((seconds % 3600) / 60) + ":" + TwoDigits(seconds % 60);
}

std::string FormatJpegDate(const std::string& text, bool isFile) {
    if (!isFile || text.size() < 19)
        return text;
    return text.substr(8, 2) + "." + text.substr(5, 2) + "." + text.substr(0, 4) + "-" +
           text.substr(11, 8);
}

std::vector<std::string> RowTexts(MediaType type, const link::FolderEntry& entry) {
    if (!entry.isFile())
        return {entry.name, "", "", ""};
    std::string third = type == MediaType::Mp3 ? FormatSeconds(entry.extraValue)
                                               : FormatJpegDate(entry.extraText, true);
    return {entry.name, common::FormatSizeKB(entry.size), Traits(type).typeText, std::move(third)};
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return Lower(a) == Lower(b);
}

std::string ProposeNewFolderName(const std::vector<std::string>& existing) {
    auto taken = [&](const std::string& name) {
        for (const auto& e : existing)
            if (SameNameIgnoringCase(e, name))
                return true;
        return false;
    };
    std::string name = "new folder";
    for (int n = 2; taken(name); ++n)
        name = "new folder(" + std::to_string(n) + ")";
    return name;
}

bool HasForbiddenCharacter(const std::string& name) {
    for (char c : name)
        for (char f : kForbidden)
            if (c == f)
                return true;
    return false;
}

RenameCheck CheckRename(MediaType type, bool isFile, const std::string& oldName,
                        const std::string& newName, const std::vector<std::string>& siblings) {
    RenameCheck out;
    if (HasForbiddenCharacter(newName)) {
        out.message = 165;
        std::string list;
        for (char f : kForbidden)
            list += std::string(list.empty() ? "\n\t" : " ") + f;
        out.text = shell::Msg(165) + list;
        return out;
    }
    if (newName.empty()) {
        out.message = 166;
        out.text = shell::Msg(166);
        return out;
    }
    std::string name = newName;
    if (isFile) {
        if (name.find('.') == std::string::npos)
            name += Traits(type).extension;
        if (!HasAreaExtension(type, name)) {
            out.message = 167;
            out.text = shell::Msg(167);
            out.errorIcon = true;
            return out;
        }
    }
    if (name == oldName) {
        out.result = RenameCheck::Unchanged;
        return out;
    }
    for (const auto& s : siblings) {
        if (s != oldName && SameNameIgnoringCase(s, name)) {
            out.message = 168;
            out.text = shell::Msg(168);
            return out;
        }
    }
    out.result = RenameCheck::Ok;
    out.name = std::move(name);
    return out;
}

std::string RemoteFolderPath(const std::vector<std::string>& levels) {
    std::string path = "Top\\";
    for (const auto& l : levels)
        path += l + "\\";
    return path;
}

std::optional<std::string> SafeLocalName(const std::string& receiverName) {
    if (receiverName.empty() || receiverName == "." || receiverName == "..")
        return std::nullopt;
    for (char c : receiverName) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F)
            return std::nullopt;
    }
    return receiverName;
}

}  // namespace velkport::media
