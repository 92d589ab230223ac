// recordings list / download / upload / delete / rename and thumbnail: the receiver's
// recordings on command channel 5, and the recording files on the PC.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/velkctl/InterruptProgress.h"
#include "tools/velkctl/TerminalPrompter.h"
#include "tools/velkctl/Velkctl.h"
#include "velkport/link/ChannelTable.h"
#include "velkport/recordings/PngWriter.h"
#include "velkport/recordings/RecordManager.h"
#include "velkport/recordings/RecordText.h"
#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/base/SettingsStore.h"

namespace velkctl {

namespace {

namespace fs = std::filesystem;
namespace rec = velkport::recordings;
using velkport::shell::Msg;
using velkport::shell::PromptIcon;

using TerminalProgress = InterruptProgress;

bool HaveReceiver(const Context& context, const char* command) {
    if (context.app.receiverAddress.empty()) {
        UsageError(command, "Input IP address (--receiver ADDR or $VELK_RECEIVER)");
        return false;
    }
    return true;
}

// One connection to the receiver's command channels for the command's run.
struct Session {
    explicit Session(Context& context, fs::path folder = {})
        : manager(table, *context.prompter, std::move(folder)), context_(context) {
        table.InitialiseChannels(context.app.receiverAddress, context.app.portBase);
        table.setTimeLimit(context.timeout);
        table.setPrompter(context.prompter);
        if (auto* terminal = dynamic_cast<TerminalPrompter*>(context.prompter))
            shownBefore_ = terminal->messagesShown();
    }
    ~Session() { table.ShutdownChannels(); }
    // The exit status of a command; a failure that said nothing yet says why.
    int Finish(int status) {
        if (InterruptProgress::pressed())
            return kExitInterrupted;
        auto* terminal = dynamic_cast<TerminalPrompter*>(context_.prompter);
        if (status == kExitFailure && terminal && terminal->messagesShown() == shownBefore_) {
            const std::string unreachable = table.LastConnectError();
            context_.prompter->showMessage(
                unreachable.empty() ? "the receiver refused the request" : unreachable,
                PromptIcon::Error);
        }
        return status;
    }
    velkport::link::ChannelTable table;
    rec::RecordManager manager;

  private:
    Context& context_;
    int shownBefore_ = 0;
};

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

// The receiver items of the names, in list order; false (with the names said) when one is not
// on the receiver.
bool Select(Context& context, rec::RecordManager& m, const std::vector<std::string>& names,
            std::vector<rec::RecordEntry>& selection) {
    std::vector<rec::RecordEntry> items;
    if (!m.RefreshReceiverList(items))
        return false;
    bool all = true;
    for (const auto& name : names) {
        bool found = false;
        for (const auto& e : items)
            found = found || e.fileName == name;
        if (!found) {
            context.prompter->showMessage("no recording " + name + " on the receiver",
                                          PromptIcon::Error);
            all = false;
        }
    }
    for (const auto& e : items)
        for (const auto& name : names)
            if (e.fileName == name) {
                selection.push_back(e);
                break;
            }
    return all;
}

int List(Context& context, bool radio, bool tsv) {
    Session s(context);
    s.manager.setRadio(radio);
    std::vector<rec::RecordEntry> items;
    if (!s.manager.RefreshReceiverList(items))
        return s.Finish(kExitFailure);
    if (!tsv)
        std::printf("%-32s %6s %-24s %-19s %9s %s  %s\n", Msg(47).c_str(), Msg(261).c_str(),
                    Msg(262).c_str(), Msg(44).c_str(), Msg(263).c_str(), Msg(186).c_str(), "File");
    for (const auto& e : items) {
        const std::string title = OneLine(rec::ToDisplayText(e.title));
        const std::string channel = OneLine(rec::ToDisplayText(e.channelName));
        const std::string start = rec::FormatStartTime(e.start);
        const std::string duration = rec::FormatDuration(e.duration);
        if (tsv)
            std::printf("%s\t%u\t%s\t%s\t%s\t%d\t%s\n", title.c_str(), e.channelNumber,
                        channel.c_str(), start.c_str(), duration.c_str(),
                        static_cast<int>(e.scrambled), OneLine(e.fileName).c_str());
        else
            std::printf("%-32s %6u %-24s %-19s %9s %d  %s\n", title.c_str(), e.channelNumber,
                        channel.c_str(), start.c_str(), duration.c_str(),
                        static_cast<int>(e.scrambled), OneLine(e.fileName).c_str());
    }
    return kExitOk;
}

std::optional<fs::path> DefaultFolder(Context& context) {
    velkport::shell::SettingsStore store;
    auto folder = rec::RecordManager::ResolveLocalFolder(store);
    if (!folder)
        context.prompter->showMessage("no record folder: give --to DIR", PromptIcon::Error);
    return folder;
}

int Download(Context& context, const std::vector<std::string>& names, const std::string& to,
             bool radio) {
    fs::path folder = to;
    if (folder.empty()) {
        auto def = DefaultFolder(context);
        if (!def)
            return kExitFailure;
        folder = *def;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    Session s(context, folder);
    s.manager.setRadio(radio);
    std::vector<rec::RecordEntry> selection;
    bool all = Select(context, s.manager, names, selection);
    TerminalProgress progress;
    auto batch = s.manager.DownloadBatch(selection, progress);
    for (const auto& f : batch.files)
        std::printf("%s\n", f.string().c_str());
    return s.Finish(all && batch.result.done() ? kExitOk : kExitFailure);
}

int Upload(Context& context, const std::vector<std::string>& files, bool radio) {
    int rc = kExitOk;
    for (const auto& file : files) {
        fs::path path = fs::absolute(file);
        Session s(context, path.parent_path());
        s.manager.setRadio(radio);
        TerminalProgress progress;
        auto batch = s.manager.UploadBatch({path.filename()}, progress);
        for (const auto& name : batch.receiverNames)
            std::printf("%s\n", name.c_str());
        if (!batch.result.done())
            return s.Finish(kExitFailure);
    }
    return rc;
}

int Delete(Context& context, const std::vector<std::string>& names, bool radio) {
    Session s(context);
    s.manager.setRadio(radio);
    std::vector<rec::RecordEntry> selection;
    if (!Select(context, s.manager, names, selection))
        return s.Finish(kExitFailure);
    auto deleted = s.manager.DeleteReceiverRecordings(selection);
    return s.Finish(deleted.size() == selection.size() ? kExitOk : kExitFailure);
}

int Rename(Context& context, const std::string& name, const std::string& title, bool radio) {
    Session s(context);
    s.manager.setRadio(radio);
    std::vector<rec::RecordEntry> selection;
    if (!Select(context, s.manager, {name}, selection))
        return s.Finish(kExitFailure);
    if (s.manager.CheckNewName(selection[0].title, title) ==
        rec::RecordManager::NameCheck::Unchanged)
        return kExitOk;
    return s.Finish(s.manager.RenameReceiverRecording(selection[0], title) ? kExitOk
                                                                           : kExitFailure);
}

int RunRecordings(Context& context, const std::vector<std::string>& args) {
    constexpr const char* kName = "recordings";
    if (args.empty())
        return UsageError(kName, "recordings needs list, download, upload, delete or rename");
    const std::string& sub = args[0];
    bool radio = false, tsv = false;
    std::string to;
    std::vector<std::string> rest;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--radio")
            radio = true;
        else if (args[i] == "--tsv" && sub == "list")
            tsv = true;
        else if (args[i] == "--to" && sub == "download" && i + 1 < args.size())
            to = args[++i];
        else if (!args[i].empty() && args[i][0] == '-')
            return UsageError(kName, "unknown option " + args[i]);
        else
            rest.push_back(args[i]);
    }
    if (!HaveReceiver(context, kName))
        return kExitUsage;
    if (sub == "list")
        return rest.empty() ? List(context, radio, tsv)
                            : UsageError(kName, "recordings list takes no names");
    if (sub == "download")
        return rest.empty() ? UsageError(kName, "recordings download needs NAME...")
                            : Download(context, rest, to, radio);
    if (sub == "upload")
        return rest.empty() ? UsageError(kName, "recordings upload needs FILE...")
                            : Upload(context, rest, radio);
    if (sub == "delete")
        return rest.empty() ? UsageError(kName, "recordings delete needs NAME...")
                            : Delete(context, rest, radio);
    if (sub == "rename")
        return rest.size() != 2 ? UsageError(kName, "recordings rename needs NAME TITLE")
                                : Rename(context, rest[0], rest[1], radio);
    return UsageError(kName, "unknown recordings command '" + sub + "'");
}

int RunThumbnail(Context& context, const std::vector<std::string>& args) {
    constexpr const char* kName = "thumbnail";
    std::string source, out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size())
            out = args[++i];
        else if (!args[i].empty() && args[i][0] == '-')
            return UsageError(kName, "unknown option " + args[i]);
        else if (source.empty())
            source = args[i];
        else
            return UsageError(kName, "thumbnail takes one FILE or NAME");
    }
    if (source.empty() || out.empty())
        return UsageError(kName, "thumbnail needs FILE|NAME and --out PICTURE.png");
    std::string text;
    rec::ThumbnailResult picture;
    std::error_code ec;
    if (fs::is_regular_file(source, ec)) {
        fs::path path = fs::absolute(source);
        velkport::link::ChannelTable table;
        rec::RecordManager m(table, *context.prompter, path.parent_path());
        m.PcPicture(path.filename().string(), text, picture, false);  // never deletes the file
    } else {
        if (!HaveReceiver(context, kName))
            return kExitUsage;
        Session s(context);
        std::vector<rec::RecordEntry> selection;
        if (!Select(context, s.manager, {source}, selection))
            return s.Finish(kExitFailure);
        s.manager.ReceiverPicture(selection[0], text, picture);
    }
    if (!text.empty())
        std::printf("%s\n", text.c_str());
    if (!picture.picture) {
        context.prompter->showMessage("no picture in " + source, PromptIcon::Error);
        return kExitFailure;
    }
    if (!rec::PngWriter::WritePpmAsPng(picture.ppm, out)) {
        context.prompter->showMessage("cannot write " + out, PromptIcon::Error);
        return kExitFailure;
    }
    return kExitOk;
}

const Registration kRecordings({
    "recordings",
    "recordings list|download|upload|delete|rename ...",
    "The receiver's recordings: list, download, upload, delete, rename.",
    "  recordings list [--radio] [--tsv]    the TV (or radio) recordings. --tsv: one line per\n"
    "                                       recording in list order: title, channel number,\n"
    "                                       channel name, start, duration, scrambled flag,\n"
    "                                       receiver file name, separated by tabs.\n"
    "  recordings download NAME... [--to DIR] [--radio]\n"
    "                                       download recordings by receiver file name into\n"
    "                                       DIR (default: the record folder of the settings);\n"
    "                                       prints the files made. Ctrl-C cancels.\n"
    "  recordings upload FILE... [--radio]  send recording files (.ts / .rts with their parts)\n"
    "                                       to the receiver; prints the new receiver names.\n"
    "  recordings delete NAME... [--radio]  delete recordings (asks first; --yes agrees).\n"
    "  recordings rename NAME TITLE [--radio]\n"
    "                                       give a recording a new title.\n",
    false,
    RunRecordings,
});

const Registration kThumbnail({
    "thumbnail",
    "thumbnail FILE|NAME --out PICTURE.png",
    "The picture of a recording file on the PC or of a receiver recording, as PNG.",
    "  thumbnail FILE --out PICTURE.png     from a downloaded recording file (its header).\n"
    "  thumbnail NAME --out PICTURE.png     from the receiver's TV recording NAME.\n"
    "Prints the recording's text; the picture is 180 x 144.\n",
    false,
    RunThumbnail,
});

}  // namespace

}  // namespace velkctl
