#include "velkport/editor/ChannelInfoDialog.h"

#include "velkport/channels/ChannelListEditor.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::editor {

using channels::cutUtf8;
using channels::fillText;
using channels::kRadio;
using channels::kTv;
using channels::leadingInt;
using shell::Msg;
using shell::PromptIcon;

namespace {

std::int32_t number(const std::string& text) {
    return leadingInt(text);
}

bool emptyOrNegative(const std::string& text) {
    return text.empty() || number(text) < 0;
}

}  // namespace

ChannelInfoFields ChannelInfoDialog::fill(const Service& s) {
    ChannelInfoFields f;
    f.channelNumber = std::to_string(s.channelNumber);
    f.name = s.name;
    f.frequency = std::to_string(s.carrierFrequency);
    f.symbolRate = std::to_string(s.carrierSymbolRate);
    f.sid = std::to_string(s.sid);
    f.oid = std::to_string(s.onid);
    f.tsid = std::to_string(s.tsid);
    f.videoPid = std::to_string(s.vpid);
    f.audioPid = std::to_string(s.apid);
    f.pcrPid = std::to_string(s.pcrPid);
    f.serviceType = s.serviceType == kRadio ? 1 : 0;
    f.qam = s.carrierQam == 64 ? 0 : s.carrierQam == 128 ? 1 : s.carrierQam == 256 ? 2 : -1;
    f.scrambled = s.scrambled ? 1 : 0;
    f.locked = s.locked ? 1 : 0;
    f.skipped = s.skipped ? 1 : 0;
    return f;
}

bool ChannelInfoDialog::accept(const ChannelInfoFields& f, int rowCount, Service& copy,
                               shell::Prompter& prompter) {
    auto refuse = [&](const std::string& text) {
        prompter.showMessage(text, PromptIcon::Error);
        return false;
    };
    const std::int32_t no = number(f.channelNumber);
    if (no < 1 || no > rowCount)
        return refuse(fillText(Msg(149), rowCount));
    if (f.name.empty())
        return refuse(Msg(147));
    if (f.frequency.empty())
        return refuse(Msg(145));
    if (f.qam < 0 || f.qam > 2)
        return refuse("Select QAM");
    if (emptyOrNegative(f.sid))
        return refuse("Fill a Sid");
    if (emptyOrNegative(f.oid))
        return refuse("Fill a Oid");
    if (emptyOrNegative(f.tsid))
        return refuse("Fill a Tsid");
    if (f.symbolRate.empty())
        return refuse(Msg(146));
    copy.channelNumber = no;
    copy.name = cutUtf8(f.name);
    copy.carrierFrequency = number(f.frequency);
    copy.carrierSymbolRate = number(f.symbolRate);
    copy.carrierQam = f.qam == 0 ? 64 : f.qam == 1 ? 128 : 256;
    copy.serviceType = f.serviceType == 1 ? kRadio : kTv;
    copy.scrambled = f.scrambled == 1 ? 1 : 0;
    copy.locked = f.locked == 1 ? 1 : 0;
    copy.skipped = f.skipped == 1 ? 1 : 0;
    copy.sid = number(f.sid);
    copy.onid = number(f.oid);
    copy.tsid = number(f.tsid);
    return true;
}

}  // namespace velkport::editor
