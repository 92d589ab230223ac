#pragma once
// The in-memory channel list: fixed-capacity tables of individually allocated records. Each
// table slot owns the record it refers to; favorite groups refer to services they do not own.

#include <array>
#include <memory>
#include <vector>

#include "velkport/channels/ChannelRecords.h"

namespace velkport::channels {

class ChannelDatabase {
  public:
    using TvTable = std::array<std::unique_ptr<Service>, kMaxTvServices>;
    using RadioTable = std::array<std::unique_ptr<Service>, kMaxRadioServices>;
    using FavoriteTable = std::array<std::unique_ptr<FavoriteGroup>, kMaxFavoriteGroups>;

    ChannelDatabase();
    ~ChannelDatabase();
    ChannelDatabase(const ChannelDatabase&) = delete;
    ChannelDatabase& operator=(const ChannelDatabase&) = delete;

    // Empties every table (services, satellites, favorite groups).
    void clear();
    // Exchanges every table with other's (a list read apart replaces this one in one step).
    void swap(ChannelDatabase& other) noexcept;

    // Stores a TV or radio service in the first free slot of its table. A data service, or one
    // whose table is full, is not kept: false, and the record is freed.
    bool addService(std::unique_ptr<Service> service);
    int countServices(int kind) const;
    // The slot count of a kind's table (3500 TV, 1500 radio, 0 for anything else).
    static int capacity(int kind);
    // The service in slot i of a kind's table, null when empty or out of range.
    Service* service(int kind, int slot) const;
    // Frees the service in its table slot; favorite groups must have let go of it first.
    bool removeService(const Service* service);
    // Replaces the table of a kind by the given order: slot i holds order[i]; services of the
    // table that the order leaves out follow in their old order (they are never lost).
    void rebuildTable(int kind, const std::vector<Service*>& order);
    // The non-empty slots of a kind's table in slot order.
    std::vector<Service*> services(int kind) const;

    Satellite* newSatellite();
    Satellite* satellite(int id) const;  // by id 1..200
    bool addTransponder(int satelliteId, std::unique_ptr<Transponder> transponder);
    // Frees a satellite with its transponders and clears its slot.
    bool deleteSatellite(int id);
    void deleteSatellites();
    int countSatellites() const;

    // The id bit of the first free favorite slot of a kind, -1 when all 8 are taken.
    int freeFavoriteId(int kind) const;
    bool addFavoriteGroup(std::unique_ptr<FavoriteGroup> group);
    // Frees the group and clears its slot.
    bool removeFavoriteGroup(const FavoriteGroup* group);
    void deleteFavoriteGroups();
    FavoriteGroup* favoriteGroup(int kind, int slot) const;
    std::vector<FavoriteGroup*> favoriteGroups(int kind) const;
    // Takes a service out of every favorite group of its kind.
    void removeFromFavorites(const Service* service);

  private:
    std::unique_ptr<Service>* table(int kind);
    const std::unique_ptr<Service>* table(int kind) const;
    FavoriteTable* favorites(int kind);
    const FavoriteTable* favorites(int kind) const;

    // Below this slot every slot of the table is taken (a start for the first-free search).
    int& firstFree(int kind) { return kind == kRadio ? radioFirstFree_ : tvFirstFree_; }

    std::array<std::unique_ptr<Satellite>, kMaxSatellites> satellites_;
    int tvFirstFree_ = 0;
    int radioFirstFree_ = 0;
    std::unique_ptr<TvTable> tv_;
    std::unique_ptr<RadioTable> radio_;
    FavoriteTable tvFavorites_;
    FavoriteTable radioFavorites_;
};

}  // namespace velkport::channels
