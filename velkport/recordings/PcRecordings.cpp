#include "velkport/recordings/PcRecordings.h"

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstring>

#include "velkport/link/ChannelTable.h"
#include "velkport/link/ReceiverLink.h"
#include "velkport/link/ReplyRecord.h"
#include "velkport/recordings/RecordHelpers.h"
#include "velkport/recordings/TailHeader.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::recordings {

namespace fs = std::filesystem;
using namespace detail;
using shell::JobResult;
using shell::Msg;
using shell::PromptIcon;

std::string FormatModified(std::time_t modified) {
    std::tm tm{};
    if (!localtime_r(&modified, &tm))
        return {};
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%Y-%H:%M", &tm);
    return buf;
}

std::vector<PcRecording> PcRecordings::RefreshPcList() const {
    std::vector<PcRecording> out;
    if (m_.localFolder_.empty() || m_.localFolder_ == "/" || m_.localFolder_ == "\\")
        return out;
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (const auto& e : fs::directory_iterator(m_.localFolder_, ec))
        entries.push_back(e);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.path().filename() < b.path().filename();
    });
    const std::string want = m_.radio_ ? "rts" : "ts";
    for (const auto& e : entries) {
        if (!e.is_regular_file(ec))
            continue;
        std::string name = e.path().filename().string();
        auto dot = name.rfind('.');
        if (dot == std::string::npos || dot == 0 || name[0] == '.' ||
            ToLowerAscii(name.substr(dot + 1)) != want)
            continue;
        auto title = ReadTailTitle(e.path());
        if (!title)
            continue;
        PcRecording r;
        r.fileName = name;
        r.title = *title;
        r.bytes = e.file_size(ec);
        struct stat st {};
        if (::stat(e.path().c_str(), &st) == 0)
            r.modified = st.st_mtime;
        out.push_back(std::move(r));
    }
    return out;
}

std::uint64_t PcRecordings::PcFreeSpace() const {
    if (m_.options_.pcFreeSpaceMiB)
        return *m_.options_.pcFreeSpaceMiB;
    struct statvfs st {};
    if (::statvfs(m_.localFolder_.c_str(), &st) != 0)
        return 0;
    return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize / kMiB;
}

std::optional<DiskUsage> PcRecordings::PcDiskUsage() const {
    struct statvfs st {};
    if (m_.localFolder_.empty() || ::statvfs(m_.localFolder_.c_str(), &st) != 0)
        return std::nullopt;
    const std::uint64_t total = static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize / kMiB;
    const std::uint64_t free = std::min<std::uint64_t>(PcFreeSpace(), total);
    DiskUsage usage;
    usage.totalMiB = static_cast<std::uint32_t>(std::min<std::uint64_t>(total, UINT32_MAX));
    usage.usedMiB = static_cast<std::uint32_t>(std::min<std::uint64_t>(total - free, UINT32_MAX));
    return usage;
}

DriveKindValue PcRecordings::DriveKind() const {
    if (m_.options_.assumeSizeLimitedFileSystem)
        return DriveKindValue::Fat32;
    struct statfs st {};
    if (::statfs(m_.localFolder_.c_str(), &st) != 0)
        return DriveKindValue::Other;
    switch (static_cast<unsigned long>(st.f_type)) {
        case 0x4d44:
            return DriveKindValue::Fat32;  // vfat / msdos: files up to 4 GiB
        // File systems without the 4 GiB limit count as NTFS-like.
        case 0x5346544e:  // ntfs
        case 0xEF53:      // ext2/3/4
        case 0x58465342:  // xfs
        case 0x9123683E:  // btrfs
        case 0x01021994:  // tmpfs
        case 0x794c7630:  // overlayfs
        case 0x2011BAB0:  // exfat
        case 0x2FC12FC1:  // zfs
        case 0xF2F52010:  // f2fs
            return DriveKindValue::Ntfs;
        default:
            return DriveKindValue::Other;
    }
}

bool PcRecordings::SplitsFiles() const {
    auto kind = DriveKind();
    return kind == DriveKindValue::Fat16 || kind == DriveKindValue::Fat32;
}

bool PcRecordings::PcPicture(const std::string& fileName, std::string& text,
                             ThumbnailResult& picture, bool offerDelete) {
    picture = ThumbnailResult{};
    TailHeaderContents c;
    TailStatus s = ReadTailHeader(m_.localFolder_ / fileName, c);
    if (s == TailStatus::TooShort) {
        if (offerDelete && m_.prompter_.askYesNo(Msg(184)))
            DeletePcFiles({fileName}, false);
        return false;
    }
    if (s != TailStatus::Ok)
        return false;
    text = c.title + "\n" + c.eventText;
    if (m_.radio_)
        return false;
    picture = ThumbnailMaker::MakeThumbnail(c.thumbnail, false);
    return picture.picture;
}

std::vector<fs::path> PcRecordings::PartFiles(const std::string& fileName) const {
    std::vector<fs::path> parts;
    const std::string stem = Stem(fileName);
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(m_.localFolder_, ec)) {
        std::string name = e.path().filename().string();
        auto underscore = name.rfind('_');
        if (!EndsWithNoCase(name, ".ots") || underscore == std::string::npos)
            continue;
        if (EqualsNoCase(name.substr(0, underscore), stem))
            parts.push_back(e.path());
    }
    std::sort(parts.begin(), parts.end());
    return parts;
}

bool PcRecordings::replaceWith(const fs::path& work, const std::string& finalName) const {
    if (auto existing = FindNoCase(m_.localFolder_, finalName))
        removeWithParts(*existing);
    std::error_code ec;
    const std::string finalStem = Stem(finalName);
    for (const auto& part : PartFiles(work.filename().string())) {
        const std::string name = part.filename().string();
        fs::rename(part, m_.localFolder_ / (finalStem + name.substr(name.rfind('_'))), ec);
        if (ec)
            break;
    }
    if (!ec)
        fs::rename(work, m_.localFolder_ / finalName, ec);
    if (ec) {
        m_.prompter_.showMessage(ec.message(), PromptIcon::Error);
        removeWithParts(work);
        return false;
    }
    return true;
}

void PcRecordings::removeWithParts(const fs::path& file) const {
    std::error_code ec;
    for (const auto& part : PartFiles(file.filename().string()))
        fs::remove(part, ec);
    fs::remove(file, ec);
}

bool PcRecordings::DeletePcFiles(const std::vector<std::string>& fileNames, bool ask) {
    if (fileNames.empty())
        return false;
    if (ask && !(fileNames.size() == 1 ? m_.ask(113, fileNames[0])
                                       : m_.ask(114, std::to_string(fileNames.size()))))
        return false;
    for (const auto& name : fileNames)
        removeWithParts(m_.localFolder_ / fs::path(name).filename());
    return true;
}

RecordManager::NameCheck PcRecordings::CheckNewName(const std::string& oldText,
                                                    const std::string& newText) const {
    if (ForbiddenFileNameCharacter(newText)) {
        std::string list;
        for (char c : kForbiddenFileNameCharacters)
            list += std::string(list.empty() ? "" : " ") + c;
        m_.prompter_.showMessage(Msg(165) + ":\n\t" + list, PromptIcon::Error);
        return RecordManager::NameCheck::Refused;
    }
    if (newText.empty()) {
        m_.prompter_.showMessage(Msg(166), PromptIcon::Error);
        return RecordManager::NameCheck::Refused;
    }
    if (CountCharacters(newText) > kTitleFieldSize - 1 || newText.size() > kTitleFieldSize - 1) {
        m_.prompter_.showMessage(Msg(118), PromptIcon::Error);
        return RecordManager::NameCheck::Refused;
    }
    if (EqualsNoCase(oldText, newText))
        return RecordManager::NameCheck::Unchanged;
    return RecordManager::NameCheck::Ok;
}

std::optional<std::string> PcRecordings::RenamePcFile(const std::string& fileName,
                                                      const std::string& newName) {
    if (CheckNewName(fileName, newName) != RecordManager::NameCheck::Ok)
        return std::nullopt;
    std::string target = newName;
    if (!EndsWithNoCase(target, m_.extension()))
        target += m_.extension();
    if (EqualsNoCase(target, fileName))
        return std::nullopt;
    const std::string newStem = Stem(target);
    // Every new name, the parts' too, must be free: a rename never replaces another file.
    std::vector<std::pair<fs::path, fs::path>> moves{
        {m_.localFolder_ / fileName, m_.localFolder_ / target}};
    for (const auto& part : PartFiles(fileName)) {
        const std::string name = part.filename().string();
        moves.emplace_back(part, m_.localFolder_ / (newStem + name.substr(name.rfind('_'))));
    }
    for (const auto& [from, to] : moves)
        if (FindNoCase(m_.localFolder_, to.filename().string())) {
            m_.showMessage(168);
            return std::nullopt;
        }
    std::error_code ec;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        fs::rename(moves[i].first, moves[i].second, ec);
        if (ec) {
            m_.prompter_.showMessage(ec.message(), PromptIcon::Error);
            while (i-- > 0)  // undone, so the recording keeps all its parts under one name
                fs::rename(moves[i].second, moves[i].first, ec);
            return std::nullopt;
        }
    }
    return target;
}

}  // namespace velkport::recordings
