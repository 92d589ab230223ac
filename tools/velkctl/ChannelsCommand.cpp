// channels pull / push / show / renumber: the channel list between the receiver, files on the
// PC and the terminal.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/velkctl/InterruptProgress.h"
#include "tools/velkctl/Velkctl.h"
#include "velkport/channels/ChannelExchange.h"
#include "velkport/channels/ChannelListEditor.h"
#include "velkport/channels/ChannelListFile.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkctl {

namespace {

using velkport::channels::ChannelExchange;
using velkport::channels::ChannelListEditor;
using velkport::channels::ChannelListFile;
using velkport::channels::FavoriteGroup;
using velkport::channels::kRadio;
using velkport::channels::kTv;
using velkport::channels::Service;
using velkport::shell::Msg;
using velkport::shell::PromptIcon;

constexpr const char* kName = "channels";

bool HaveReceiver(const Context& context) {
    const char* missing = context.app.userId.empty()            ? "Input user id"
                          : context.app.pinCode.empty()         ? "Input password"
                          : context.app.receiverAddress.empty() ? "Input IP address"
                                                                : nullptr;
    if (missing)
        UsageError(kName, std::string(missing) +
                              " (--user ID, --pin PIN or $VELK_PIN, --receiver ADDR or "
                              "$VELK_RECEIVER)");
    return !missing;
}

// Reads FILE into the editor; false (with the reason said) when it holds no channel list.
bool ReadFile(Context& context, ChannelListEditor& editor, const std::string& file) {
    const int rc = editor.readChannelList(file);
    if (rc != ChannelListFile::kSuccess && rc != ChannelListFile::kFileDone)
        return false;  // the parser's error name has been shown
    if (editor.empty()) {
        context.prompter->showMessage(Msg(115), PromptIcon::Error);
        return false;
    }
    return true;
}

// Writes FILE; false, with the reason said, when it was not written (a declined renumbering or
// a file that could not be written, which then keeps its old content).
bool Write(Context& context, ChannelListEditor& editor, const std::string& file) {
    const auto written = editor.writeChannelList(file, false);
    if (written.kind == ChannelListEditor::WriteResult::Declined)
        context.prompter->showMessage("Nothing was written to " + file, PromptIcon::Error);
    return static_cast<bool>(written);
}

// A name on one TSV line: tabs and line breaks would split the record.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

// Pads a name with blanks to `width` characters for the table. Names are UTF-8, so characters
// are counted, not bytes: "Kanal Süd" takes nine columns on a terminal, not ten. A byte that does
// not start a valid sequence counts as one character, as the message catalogue cuts text.
std::string PadToCharacters(const std::string& text, std::size_t width) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++chars) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t len = lead < 0x80         ? 1
                                : (lead >> 5) == 6  ? 2
                                : (lead >> 4) == 14 ? 3
                                : (lead >> 3) == 30 ? 4
                                                    : 1;
        i += std::min(len, text.size() - i);
    }
    return chars >= width ? text : text + std::string(width - chars, ' ');
}

std::string Members(const FavoriteGroup& g) {
    std::string out;
    for (const Service* m : g.members)
        if (m)
            out += (out.empty() ? "" : ",") + std::to_string(m->channelNumber);
    return out;
}

void PrintTsv(const velkport::channels::ChannelDatabase& db) {
    for (int kind : {kTv, kRadio})
        for (const Service* s : db.services(kind))
            std::printf("%s\t%d\t%s\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\n",
                        kind == kTv ? "TV" : "Radio", s->channelNumber, OneLine(s->name).c_str(),
                        s->sid, s->tsid, s->onid, s->carrierFrequency, s->carrierSymbolRate,
                        s->carrierQam, s->scrambled ? 1 : 0, s->locked ? 1 : 0, s->skipped ? 1 : 0);
    for (int kind : {kTv, kRadio})
        for (const FavoriteGroup* g : db.favoriteGroups(kind))
            std::printf("fav\t%s\t%s\t%s\n", kind == kTv ? "TV" : "Radio", OneLine(g->name).c_str(),
                        Members(*g).c_str());
}

void PrintTable(const velkport::channels::ChannelDatabase& db) {
    for (int kind : {kTv, kRadio}) {
        const auto services = db.services(kind);
        std::printf("%s (%zu)\n", (kind == kTv ? Msg(273) : Msg(274)).c_str(), services.size());
        std::printf("  %5s  %-32s %6s %6s %6s %9s %7s %4s  %s\n", "No", "Name", "Sid", "Tsid",
                    "Onid", "Frequency", "SymRate", "QAM", "Flags");
        for (const Service* s : services) {
            std::string flags;
            flags += s->scrambled ? 'S' : '-';
            flags += s->locked ? 'L' : '-';
            flags += s->skipped ? 'K' : '-';
            std::printf("  %5d  %s %6d %6d %6d %9d %7d %4d  %s\n", s->channelNumber,
                        PadToCharacters(OneLine(s->name), 32).c_str(), s->sid, s->tsid, s->onid,
                        s->carrierFrequency, s->carrierSymbolRate, s->carrierQam, flags.c_str());
        }
        std::printf("\n");
    }
    for (int kind : {kTv, kRadio}) {
        std::printf("%s\n", Msg(kind == kTv ? 283 : 284).c_str());
        for (const FavoriteGroup* g : db.favoriteGroups(kind))
            std::printf("  %s %s\n", PadToCharacters(OneLine(g->name), 20).c_str(),
                        Members(*g).c_str());
    }
}

int Pull(Context& context, const std::string& file) {
    if (!HaveReceiver(context))
        return kExitUsage;
    ChannelListEditor editor(*context.prompter);
    InterruptProgress progress;
    ChannelExchange exchange(context.app, editor, progress);
    exchange.setPacing(false);
    exchange.setTimeout(context.timeout);
    if (!exchange.loadChannelList().done())
        return InterruptProgress::pressed() ? kExitInterrupted : kExitFailure;
    if (!Write(context, editor, file))
        return kExitFailure;
    std::printf("%d TV and %d radio channels written to %s\n", editor.database().countServices(kTv),
                editor.database().countServices(kRadio), file.c_str());
    return kExitOk;
}

int Push(Context& context, const std::string& file) {
    if (!HaveReceiver(context))
        return kExitUsage;
    ChannelListEditor editor(*context.prompter);
    if (!ReadFile(context, editor, file))
        return kExitFailure;
    editor.sortByChannelNumber();
    InterruptProgress progress;
    ChannelExchange exchange(context.app, editor, progress);
    exchange.setPacing(false);
    exchange.setTimeout(context.timeout);
    const velkport::shell::JobResult result = exchange.sendChannelList();
    if (result.stopped())
        std::fprintf(stderr, "Nothing was sent.\n");
    if (!result.done())
        return InterruptProgress::pressed() ? kExitInterrupted : kExitFailure;
    std::printf("%d TV and %d radio channels sent\n", editor.database().countServices(kTv),
                editor.database().countServices(kRadio));
    return kExitOk;
}

int Show(Context& context, const std::string& file, bool tsv) {
    ChannelListEditor editor(*context.prompter);
    const int rc = editor.readChannelList(file);
    if (rc != ChannelListFile::kSuccess && rc != ChannelListFile::kFileDone)
        return kExitFailure;
    if (tsv)
        PrintTsv(editor.database());
    else
        PrintTable(editor.database());
    return kExitOk;
}

int Renumber(Context& context, const std::string& file) {
    ChannelListEditor editor(*context.prompter);
    if (!ReadFile(context, editor, file))
        return kExitFailure;
    editor.renumberAll();
    if (!Write(context, editor, file))
        return kExitFailure;
    return kExitOk;
}

int RunChannels(Context& context, const std::vector<std::string>& args) {
    if (args.empty())
        return UsageError(kName, "channels needs pull, push, show or renumber");
    const std::string& sub = args[0];
    std::vector<std::string> rest;
    bool tsv = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (sub == "show" && args[i] == "--tsv")
            tsv = true;
        else
            rest.push_back(args[i]);
    }
    if (rest.size() != 1 || rest[0].empty() || rest[0][0] == '-')
        return UsageError(kName, "channels " + sub + " needs exactly one FILE");
    if (sub == "pull")
        return Pull(context, rest[0]);
    if (sub == "push")
        return Push(context, rest[0]);
    if (sub == "show")
        return Show(context, rest[0], tsv);
    if (sub == "renumber")
        return Renumber(context, rest[0]);
    return UsageError(kName, "unknown channels command '" + sub + "'");
}

const Registration kChannels({
    "channels",
    "channels pull|push|show|renumber FILE",
    "The channel list: fetch, send, show or renumber a channel.xml file.",
    "  channels pull FILE          \"Load from DVR\": fetch the receiver's channel list and\n"
    "                              write it to FILE.\n"
    "  channels push FILE          read FILE and \"Send to DVR\". When the channel numbers\n"
    "                              are not 1, 2, 3 ... the list must be renumbered first:\n"
    "                              --yes agrees, otherwise the question is asked here.\n"
    "  channels show FILE [--tsv]  the TV list, the radio list and the favorites. --tsv:\n"
    "                              one line per service (kind, no, name, sid, tsid, onid,\n"
    "                              frequency, symbolrate, qam, scrambled, locked, skipped)\n"
    "                              in table order, TV first, then one line per favorite\n"
    "                              group: fav, TV|Radio, name, member numbers joined by\n"
    "                              commas. Tabs and line breaks in names print as blanks.\n"
    "  channels renumber FILE      sort each list by channel number, number it 1, 2, 3 ...\n"
    "                              and write FILE back.\n"
    "pull and push need the receiver (--receiver, --pin).\n",
    false,
    RunChannels,
});

}  // namespace

}  // namespace velkctl
