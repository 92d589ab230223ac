#pragma once
// The Satellite & Transponder dialog's logic: the satellite list, the transponder list of the
// clicked satellite, the field checks of the two Save buttons and the deletions, applied to the
// editor's database at once.

#include <set>
#include <string>
#include <vector>

#include "velkport/channels/ChannelListEditor.h"

namespace velkport::editor {

using channels::ChannelListEditor;
using channels::Satellite;
using channels::Transponder;

struct SatelliteFields {
    std::string name;
    std::string lo1;
    std::string lo2;
    std::string bandSwitch;
    std::string longitude;
    std::string skewOffset;
};

struct TransponderFields {
    std::string frequency;
    std::string symbolRate;
    std::string tsid;
    std::string osid;       // the transponder's Onid
    int polarization = -1;  // 0 "Vertical", 1 "Horizontal", -1 none chosen
};

class SatelliteTransponderDialog {
  public:
    explicit SatelliteTransponderDialog(ChannelListEditor& editor);

    // The satellite rows (slot order) and the transponder rows of the clicked satellite.
    std::vector<Satellite*> satelliteRows() const;
    std::vector<Transponder*> transponderRows() const;

    // A click on a satellite row: it becomes the current satellite and the only selection.
    SatelliteFields clickSatellite(int row);
    void selectSatellites(const std::set<int>& rows) { selectedSatellites_ = rows; }
    TransponderFields clickTransponder(int row);
    void selectTransponders(const std::set<int>& rows) { selectedTransponders_ = rows; }
    Satellite* currentSatellite() const { return current_; }

    static SatelliteFields fieldsOf(const Satellite& s);
    static TransponderFields fieldsOf(const Transponder& t);

    // "New" satellite: the new one is selected; null with 200 satellites.
    Satellite* newSatellite();
    bool saveSatellite(const SatelliteFields& fields);
    bool deleteSatellites();
    Transponder* newTransponder();
    bool saveTransponder(const TransponderFields& fields);
    bool deleteTransponders();

  private:
    ChannelListEditor& editor_;
    Satellite* current_ = nullptr;
    std::set<int> selectedSatellites_;
    std::set<int> selectedTransponders_;
};

}  // namespace velkport::editor
