#pragma once
// The records of the channel database: satellites with their transponders, services (channels)
// and favorite groups. Numbers are carried exactly as the channel list file or the user gives
// them. Texts are UTF-8 and at most kMaxTextBytes bytes long once they are in a record.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velkport::channels {

inline constexpr std::size_t kMaxTextBytes = 255;  // a name field holds 255 bytes and its end
inline constexpr int kMaxSatellites = 200;
inline constexpr int kMaxTransponders = 300;
inline constexpr int kMaxTvServices = 3500;
inline constexpr int kMaxRadioServices = 1500;
inline constexpr int kMaxFavoriteGroups = 8;  // per kind
inline constexpr int kMaxFavoriteMembers = 100;

enum ServiceKind : std::uint8_t { kTv = 0, kRadio = 1, kData = 2 };

struct Transponder {
    std::int32_t satelliteId = 0;
    std::int32_t frequency = 0;
    std::int32_t symbolRate = 0;
    std::int32_t tsid = 0;
    std::int32_t onid = 0;
    std::int32_t nid = 0;
    char polarization = 0;  // 'H' horizontal, anything else shown as vertical
    std::int32_t fec = 0;
};

struct Satellite {
    std::int32_t id = 0;  // slot + 1
    std::string name;
    std::int32_t lo1 = 0;
    std::int32_t lo2 = 0;
    std::int32_t band = 0;
    std::int32_t longitude = 0;
    std::int32_t skewOffset = 0;
    std::array<std::unique_ptr<Transponder>, kMaxTransponders> transponders;
};

struct Service {
    std::int32_t satelliteId = 0;           // 0: none (services from a file)
    std::int32_t transponderFrequency = 0;  // 0: none
    std::int32_t channelNumber = 0;
    std::string name;
    std::uint8_t serviceType = kTv;
    std::uint8_t scrambled = 0;
    std::int32_t sid = 0;
    std::int32_t onid = 0;
    std::int32_t tsid = 0;
    std::int32_t vpid = 0;
    std::int32_t apid = 0;
    std::int32_t pcrPid = 0;
    std::uint8_t locked = 0;
    std::int32_t skipped = 0;
    std::int32_t carrierLongitude = 0;
    std::int32_t carrierBand = 0;
    std::int32_t carrierFrequency = 0;
    std::int32_t carrierSymbolRate = 0;
    char carrierPolarization = 0;
    std::int32_t carrierFec = 0;
    std::int32_t carrierQam = 0;
};

struct FavoriteGroup {
    std::int32_t id = 0;  // one bit: 1, 2, 4 ... 128; bit k is table slot k
    std::int32_t kind = kTv;
    std::string name;
    std::array<Service*, kMaxFavoriteMembers> members{};  // not owned; null slots are empty

    int memberCount() const;
    bool contains(const Service* s) const;
    // Removes the empty slots, keeping the members' order.
    void closeUp();
    // Appends after the last member; false when all 100 slots are taken.
    bool append(Service* s);
    // Removes every occurrence of s; the others keep their order and close up.
    bool remove(const Service* s);
};

// The table slot of a favorite id bit (1 -> 0 ... 128 -> 7), -1 for any other value.
int favoriteSlot(std::int32_t id);

// The leading integer of a text, as atoi reads it; values beyond 32 bits stop at the limit.
std::int32_t leadingInt(std::string_view text);

// Cuts UTF-8 text to at most n bytes without splitting a character.
std::string cutUtf8(std::string text, std::size_t n = kMaxTextBytes);

}  // namespace velkport::channels
