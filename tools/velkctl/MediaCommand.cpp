// mp3 / jpeg: the receiver's MP3 and JPEG areas on command channels 2 and 3 (list, get, put, rm,
// mkdir, mv, df), plus jpeg prepare and jpeg thumb. Remote paths use "/" between folders.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tools/velkctl/TerminalProgressBar.h"
#include "tools/velkctl/Velkctl.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/media/JpegPreparer.h"
#include "velkport/media/MediaManager.h"
#include "velkport/media/MediaText.h"
#include "velkport/media/MediaTransfer.h"
#include "velkport/media/PartialFile.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkctl {

namespace {

namespace fs = std::filesystem;
namespace media = velkport::media;
using velkport::shell::Msg;
using velkport::shell::PromptIcon;

// One connection to the area's command channel for the command's run.
struct Session {
    Session(Context& context, media::MediaType type) : manager(type, table, *context.prompter) {
        table.InitialiseChannels(context.app.receiverAddress, context.app.portBase);
        table.setTimeLimit(context.timeout);
        table.setPrompter(context.prompter);
    }
    ~Session() { table.ShutdownChannels(); }
    velkport::link::ChannelTable table;
    media::MediaManager manager;
};

std::vector<std::string> Levels(const std::string& path) {
    std::vector<std::string> out;
    std::string part;
    for (char c : path + "/") {
        if (c != '/') {
            part += c;
        } else if (!part.empty() && part != ".") {
            out.push_back(part);
            part.clear();
        } else {
            part.clear();
        }
    }
    return out;
}

std::string Clean(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

void Error(Context& context, const std::string& text) {
    context.prompter->showMessage(text, PromptIcon::Error);
}

// The entry that a remote path names, with the current folder moved to its parent.
std::optional<velkport::link::FolderEntry> Find(Context& context, media::MediaManager& m,
                                                const std::string& path) {
    auto levels = Levels(path);
    if (levels.empty()) {
        Error(context, Msg(172) + "\n" + path);
        return std::nullopt;
    }
    const std::string name = levels.back();
    levels.pop_back();
    std::vector<velkport::link::FolderEntry> entries;
    if (!m.ChangeFolder(levels) || !m.ListFolder(entries))
        return std::nullopt;
    for (const auto& e : entries)
        if (e.name == name)
            return e;
    Error(context, Msg(172) + "\n" + path);
    return std::nullopt;
}

int Ls(media::MediaManager& m, const std::string& path, bool tsv) {
    std::vector<velkport::link::FolderEntry> entries;
    if (!m.ChangeFolder(Levels(path)) || !m.ListFolder(entries))
        return kExitFailure;
    const auto& traits = media::Traits(m.type());
    if (!tsv)
        std::printf("%-40s %12s %-5s %s\n", Msg(47).c_str(), Msg(259).c_str(), Msg(247).c_str(),
                    Msg(traits.column3Message).c_str());
    for (const auto& e : entries) {
        if (tsv) {
            const std::string second = m.type() == media::MediaType::Mp3
                                           ? std::to_string(e.extraValue)
                                           : Clean(e.extraText);
            std::printf("%c\t%s\t%u\t%s\n", e.isFile() ? 'f' : 'd', Clean(e.name).c_str(), e.size,
                        second.c_str());
        } else {
            const auto row = media::RowTexts(m.type(), e);
            std::printf("%-40s %12s %-5s %s\n", Clean(row[0] + (e.isFile() ? "" : "/")).c_str(),
                        row[1].c_str(), row[2].c_str(), Clean(row[3]).c_str());
        }
    }
    return kExitOk;
}

int Get(Context& context, media::MediaManager& m, const std::vector<std::string>& paths,
        const std::string& to) {
    std::error_code ec;
    if (!fs::is_directory(to, ec)) {
        Error(context, to + ": not a folder");
        return kExitFailure;
    }
    TerminalProgressBar bar;
    media::MediaTransfer transfer(m);
    for (const auto& p : paths) {
        const auto e = Find(context, m, p);
        if (!e)
            return kExitFailure;
        const int r = transfer.Download({*e}, to, bar);
        if (r != media::kTransferDone)
            return kExitFailure;
    }
    return kExitOk;
}

int Put(Context& context, media::MediaManager& m, const std::vector<std::string>& files,
        const std::string& to) {
    std::vector<fs::path> items;
    for (const auto& f : files) {
        std::error_code ec;
        if (!fs::exists(f, ec)) {
            Error(context, f + ": no such file or folder");
            return kExitFailure;
        }
        items.emplace_back(f);
    }
    if (!m.ChangeFolder(Levels(to)))
        return kExitFailure;
    TerminalProgressBar bar;
    media::MediaTransfer transfer(m);
    return transfer.Upload(items, bar) == media::kTransferDone ? kExitOk : kExitFailure;
}

int Rm(Context& context, media::MediaManager& m, const std::vector<std::string>& paths) {
    for (const auto& p : paths) {
        const auto e = Find(context, m, p);
        if (!e || !m.DeleteItem(e->name, e->isFile() ? media::kKindFile : media::kKindFolder))
            return kExitFailure;
    }
    return m.FinishChanges() ? kExitOk : kExitFailure;
}

int Mkdir(Context& context, media::MediaManager& m, const std::string& path) {
    auto levels = Levels(path);
    if (levels.empty())
        return UsageError("", "mkdir needs a folder name");
    const std::string name = levels.back();
    levels.pop_back();
    if (media::HasForbiddenCharacter(name)) {
        Error(context, media::CheckRename(m.type(), false, "", name, {}).text);
        return kExitFailure;
    }
    return m.ChangeFolder(levels) && m.CreateFolder(name) && m.FinishChanges() ? kExitOk
                                                                               : kExitFailure;
}

int Mv(Context& context, media::MediaManager& m, const std::string& from, const std::string& to) {
    auto fromLevels = Levels(from);
    auto toLevels = Levels(to);
    if (toLevels.size() > 1) {
        auto parent = toLevels;
        parent.pop_back();
        auto fromParent = fromLevels;
        if (!fromParent.empty())
            fromParent.pop_back();
        if (parent != fromParent) {
            Error(context, "mv renames inside one folder: " + to);
            return kExitFailure;
        }
    }
    const std::string newName = toLevels.empty() ? std::string() : toLevels.back();
    const auto e = Find(context, m, from);
    if (!e)
        return kExitFailure;
    std::vector<velkport::link::FolderEntry> entries;
    if (!m.ListFolder(entries))
        return kExitFailure;
    std::vector<std::string> siblings;
    for (const auto& s : entries)
        siblings.push_back(s.name);
    const auto check = media::CheckRename(m.type(), e->isFile(), e->name, newName, siblings);
    if (check.result == media::RenameCheck::Refused) {
        Error(context, check.text);
        return kExitFailure;
    }
    if (check.result == media::RenameCheck::Unchanged)
        return kExitOk;
    const auto kind = e->isFile() ? media::kKindFile : media::kKindFolder;
    if (!m.RenameItem(e->name, check.name, kind) || !m.FinishChanges())
        return kExitFailure;
    std::printf("%s\n", check.name.c_str());
    return kExitOk;
}

int Df(media::MediaManager& m) {
    const auto usage = m.GetDiskUsage();
    if (!usage)
        return kExitFailure;
    std::printf("used %u MB\ntotal %u MB\nfree %u MB\n", usage->usedMiB(), usage->totalMiB(),
                usage->freeMiB());
    return kExitOk;
}

int Thumb(Context& context, media::MediaManager& m, const std::string& path,
          const std::string& out) {
    if (!Find(context, m, path))
        return kExitFailure;
    const auto image = m.GetThumbnail(Levels(path).back());
    if (!image || image->empty()) {
        Error(context, "no thumbnail for " + path);
        return kExitFailure;
    }
    std::string error;
    if (!media::PartialFile::WriteWhole(out, image->data(), image->size(), &error)) {
        Error(context, error);
        return kExitFailure;
    }
    return kExitOk;
}

int Prepare(Context& context, const std::string& file, const std::string& out) {
    media::JpegPreparer preparer;
    const auto r = preparer.Prepare(file);
    if (r.status == media::JpegPreparer::Status::NotJpeg) {
        std::string text = Msg(175);
        text.replace(text.find("%s"), 2, fs::path(file).filename().string());
        Error(context, text);
        return kExitFailure;
    }
    if (r.status == media::JpegPreparer::Status::Failed) {
        Error(context, r.error);
        return kExitFailure;
    }
    std::ifstream in(r.uploadFile, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    if (!in || !media::PartialFile::WriteWhole(out, bytes.data(), bytes.size(), &error)) {
        Error(context, error.empty() ? "cannot read " + r.uploadFile.string() : error);
        return kExitFailure;
    }
    std::printf("%s\n", r.status == media::JpegPreparer::Status::AlreadyPrepared
                            ? "already prepared"
                            : "prepared");
    return kExitOk;
}

int RunArea(Context& context, const std::vector<std::string>& args, media::MediaType type) {
    const std::string kName = media::AreaName(type);
    const bool jpeg = type == media::MediaType::Jpeg;
    if (args.empty())
        return UsageError(kName, kName + " needs ls, get, put, rm, mkdir, mv or df");
    const std::string& sub = args[0];
    bool tsv = false;
    std::string to, out;
    std::vector<std::string> rest;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--tsv" && sub == "ls")
            tsv = true;
        else if (args[i] == "--to" && (sub == "get" || sub == "put") && i + 1 < args.size())
            to = args[++i];
        else if (args[i] == "--out" && (sub == "prepare" || sub == "thumb") && i + 1 < args.size())
            out = args[++i];
        else if (!args[i].empty() && args[i][0] == '-')
            return UsageError(kName, "unknown option " + args[i]);
        else
            rest.push_back(args[i]);
    }
    if (jpeg && sub == "prepare")
        return rest.size() != 1 || out.empty()
                   ? UsageError(kName, "jpeg prepare needs FILE --out COPY.jpg")
                   : Prepare(context, rest[0], out);
    const bool known = sub == "ls" || sub == "get" || sub == "put" || sub == "rm" ||
                       sub == "mkdir" || sub == "mv" || sub == "df" || (jpeg && sub == "thumb");
    if (!known)
        return UsageError(kName, "unknown " + kName + " command '" + sub + "'");
    if (context.app.receiverAddress.empty())
        return UsageError(kName, "Input IP address (--receiver ADDR or $VELK_RECEIVER)");
    if ((sub == "get" || sub == "put" || sub == "rm") && rest.empty())
        return UsageError(kName, kName + " " + sub + " needs at least one path");
    if (sub == "get" && to.empty())
        return UsageError(kName, kName + " get needs --to DIR");
    if ((sub == "mkdir" && rest.size() != 1) || (sub == "mv" && rest.size() != 2) ||
        (sub == "ls" && rest.size() > 1) || (sub == "df" && !rest.empty()) ||
        (sub == "thumb" && (rest.size() != 1 || out.empty())))
        return UsageError(kName, "wrong arguments for " + kName + " " + sub);

    Session s(context, type);
    auto& m = s.manager;
    if (sub == "ls")
        return Ls(m, rest.empty() ? "" : rest[0], tsv);
    if (sub == "get")
        return Get(context, m, rest, to);
    if (sub == "put")
        return Put(context, m, rest, to);
    if (sub == "rm")
        return Rm(context, m, rest);
    if (sub == "mkdir")
        return Mkdir(context, m, rest[0]);
    if (sub == "mv")
        return Mv(context, m, rest[0], rest[1]);
    if (sub == "thumb")
        return Thumb(context, m, rest[0], out);
    return Df(m);
}

int RunMp3(Context& context, const std::vector<std::string>& args) {
    return RunArea(context, args, media::MediaType::Mp3);
}

int RunJpeg(Context& context, const std::vector<std::string>& args) {
    return RunArea(context, args, media::MediaType::Jpeg);
}

// The help of one area's commands, in columns.
std::string AreaHelp(const std::string& a, bool jpeg) {
    std::vector<std::pair<std::string, std::string>> rows = {
        {"ls [PATH] [--tsv]",
         "list a folder (default: the top). --tsv: one line per entry:\n"
         "kind (d or f), name, size and the area's second column (MP3:\n"
         "seconds, JPEG: date), separated by tabs."},
        {"get REMOTE... --to DIR", "download files and folders (recursively)."},
        {"put LOCAL... [--to FOLDER]", "upload files and folders (recursively)."},
        {"rm REMOTE...", "delete files and folders."},
        {"mkdir REMOTE", "make a folder."},
        {"mv OLD NEW", "rename inside one folder."},
        {"df", "used, total and free megabytes."}};
    if (jpeg) {
        rows.push_back({"prepare FILE --out COPY.jpg",
                        "write the copy an upload would send (with its 160 x 120\nEXIF "
                        "thumbnail); needs no receiver."});
        rows.push_back(
            {"thumb REMOTE --out PICTURE.jpg", "the receiver's thumbnail of a picture."});
    }
    std::string out;
    for (const auto& [synopsis, text] : rows) {
        std::string left = "  " + a + " " + synopsis;
        left.resize(std::max<std::size_t>(left.size() + 1, 39), ' ');
        std::string body = text;
        for (std::size_t at = 0; (at = body.find('\n', at)) != std::string::npos; at += 40)
            body.insert(at + 1, std::string(39, ' '));
        out += left + body + "\n";
    }
    return out +
           "Remote paths use / between folders. Ctrl-C cancels a transfer; a terminal shows\n"
           "its progress.\n";
}

const Registration kMp3({
    "mp3",
    "mp3 ls|get|put|rm|mkdir|mv|df ...",
    "The receiver's MP3 area: list, download, upload, delete, make folders, rename.",
    AreaHelp("mp3", false),
    false,
    RunMp3,
});

const Registration kJpeg({
    "jpeg",
    "jpeg ls|get|put|rm|mkdir|mv|df|prepare|thumb ...",
    "The receiver's JPEG area, the preparation of pictures and their thumbnails.",
    AreaHelp("jpeg", true),
    false,
    RunJpeg,
});

}  // namespace

}  // namespace velkctl
