#include "velkport/editor/SatelliteTransponderDialog.h"

#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::editor {

using channels::cutUtf8;
using channels::kMaxSatellites;
using channels::leadingInt;
using channels::Service;
using shell::Msg;
using shell::PromptIcon;

SatelliteTransponderDialog::SatelliteTransponderDialog(ChannelListEditor& editor)
    : editor_(editor) {}

std::vector<Satellite*> SatelliteTransponderDialog::satelliteRows() const {
    std::vector<Satellite*> out;
    for (int id = 1; id <= kMaxSatellites; ++id)
        if (Satellite* s = editor_.database().satellite(id))
            out.push_back(s);
    return out;
}

std::vector<Transponder*> SatelliteTransponderDialog::transponderRows() const {
    std::vector<Transponder*> out;
    if (current_)
        for (auto& t : current_->transponders)
            if (t)
                out.push_back(t.get());
    return out;
}

SatelliteFields SatelliteTransponderDialog::fieldsOf(const Satellite& s) {
    return {s.name,
            std::to_string(s.lo1),
            std::to_string(s.lo2),
            std::to_string(s.band),
            std::to_string(s.longitude),
            std::to_string(s.skewOffset)};
}

TransponderFields SatelliteTransponderDialog::fieldsOf(const Transponder& t) {
    return {std::to_string(t.frequency), std::to_string(t.symbolRate), std::to_string(t.tsid),
            std::to_string(t.onid), t.polarization == 'H' ? 1 : 0};
}

SatelliteFields SatelliteTransponderDialog::clickSatellite(int row) {
    const auto rows = satelliteRows();
    selectedTransponders_.clear();
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        current_ = nullptr;
        selectedSatellites_.clear();
        return {};
    }
    current_ = rows[static_cast<std::size_t>(row)];
    selectedSatellites_ = {row};
    return fieldsOf(*current_);
}

TransponderFields SatelliteTransponderDialog::clickTransponder(int row) {
    const auto rows = transponderRows();
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        selectedTransponders_.clear();
        return {};
    }
    selectedTransponders_ = {row};
    return fieldsOf(*rows[static_cast<std::size_t>(row)]);
}

Satellite* SatelliteTransponderDialog::newSatellite() {
    Satellite* s = editor_.database().newSatellite();
    if (!s)
        return nullptr;
    const auto rows = satelliteRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == s)
            clickSatellite(static_cast<int>(i));
    return s;
}

bool SatelliteTransponderDialog::saveSatellite(const SatelliteFields& f) {
    auto& p = editor_.prompter();
    auto refuse = [&](const std::string& text) {
        p.showMessage(text, PromptIcon::Error);
        return false;
    };
    if (f.name.empty())
        return refuse(Msg(143));
    if (f.lo1.empty())
        return refuse("Fill a LO1Frequency");
    if (f.lo2.empty())
        return refuse("Fill a LO2Frequency");
    if (f.bandSwitch.empty())
        return refuse("Fill a BandSwitchFreq");
    if (f.longitude.empty())
        return refuse(Msg(144));
    if (f.skewOffset.empty())
        return refuse("Fill a SkewOffset");
    const auto rows = satelliteRows();
    if (selectedSatellites_.size() != 1 ||
        *selectedSatellites_.begin() >= static_cast<int>(rows.size()))
        return refuse("Select just one satellite");
    Satellite& s = *rows[static_cast<std::size_t>(*selectedSatellites_.begin())];
    s.name = cutUtf8(f.name);
    s.lo1 = leadingInt(f.lo1);
    s.lo2 = leadingInt(f.lo2);
    s.band = leadingInt(f.bandSwitch);
    s.longitude = leadingInt(f.longitude);
    s.skewOffset = leadingInt(f.skewOffset);
    return true;
}

bool SatelliteTransponderDialog::deleteSatellites() {
    if (selectedSatellites_.empty())
        return false;
    if (!editor_.prompter().askYesNo(Msg(198) + Msg(199)))
        return false;
    const auto rows = satelliteRows();
    for (auto it = selectedSatellites_.rbegin(); it != selectedSatellites_.rend(); ++it) {
        if (*it < 0 || *it >= static_cast<int>(rows.size()))
            continue;
        const int id = rows[static_cast<std::size_t>(*it)]->id;
        editor_.deleteServicesWhere([id](const Service& s) { return s.satelliteId == id; });
        if (current_ && current_->id == id)
            current_ = nullptr;
        editor_.database().deleteSatellite(id);
    }
    selectedSatellites_.clear();
    selectedTransponders_.clear();
    return true;
}

Transponder* SatelliteTransponderDialog::newTransponder() {
    if (!current_) {
        editor_.prompter().showMessage(Msg(191), PromptIcon::Error);
        return nullptr;
    }
    auto t = std::make_unique<Transponder>();
    t->satelliteId = current_->id;
    Transponder* raw = t.get();
    if (!editor_.database().addTransponder(current_->id, std::move(t)))
        return nullptr;
    const auto rows = transponderRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == raw)
            selectedTransponders_ = {static_cast<int>(i)};
    return raw;
}

bool SatelliteTransponderDialog::saveTransponder(const TransponderFields& f) {
    auto& p = editor_.prompter();
    auto refuse = [&](const std::string& text) {
        p.showMessage(text, PromptIcon::Error);
        return false;
    };
    if (f.frequency.empty())
        return refuse(Msg(145));
    if (f.symbolRate.empty())
        return refuse(Msg(146));
    if (f.tsid.empty())
        return refuse("Fill a Tsid");
    if (f.osid.empty())
        return refuse("Fill a Oid");
    if (f.polarization != 0 && f.polarization != 1)
        return refuse(Msg(194));
    const auto rows = transponderRows();
    if (selectedTransponders_.size() != 1 ||
        *selectedTransponders_.begin() >= static_cast<int>(rows.size()))
        return refuse("Select just one transponder");
    Transponder& t = *rows[static_cast<std::size_t>(*selectedTransponders_.begin())];
    t.frequency = leadingInt(f.frequency);
    t.symbolRate = leadingInt(f.symbolRate);
    t.tsid = leadingInt(f.tsid);
    t.onid = leadingInt(f.osid);
    t.polarization = f.polarization == 1 ? 'H' : 'V';
    return true;
}

bool SatelliteTransponderDialog::deleteTransponders() {
    if (!current_ || selectedTransponders_.empty())
        return false;
    if (!editor_.prompter().askYesNo(Msg(200) + Msg(201)))
        return false;
    const auto rows = transponderRows();
    const int satId = current_->id;
    for (auto it = selectedTransponders_.rbegin(); it != selectedTransponders_.rend(); ++it) {
        if (*it < 0 || *it >= static_cast<int>(rows.size()))
            continue;
        Transponder* t = rows[static_cast<std::size_t>(*it)];
        const int freq = t->frequency;
        editor_.deleteServicesWhere([&](const Service& s) {
            return s.satelliteId == satId && s.transponderFrequency == freq;
        });
        for (auto& slot : current_->transponders)
            if (slot.get() == t)
                slot.reset();
    }
    selectedTransponders_.clear();
    return true;
}

}  // namespace velkport::editor
