#include "velkport/channels/ChannelDatabase.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace velkport::channels {

ChannelDatabase::ChannelDatabase()
    : tv_(std::make_unique<TvTable>()), radio_(std::make_unique<RadioTable>()) {}

ChannelDatabase::~ChannelDatabase() {
    clear();
}

void ChannelDatabase::clear() {
    deleteFavoriteGroups();
    for (auto& s : *tv_)
        s.reset();
    for (auto& s : *radio_)
        s.reset();
    tvFirstFree_ = radioFirstFree_ = 0;
    deleteSatellites();
}

int ChannelDatabase::capacity(int kind) {
    if (kind == kTv)
        return kMaxTvServices;
    if (kind == kRadio)
        return kMaxRadioServices;
    return 0;
}

std::unique_ptr<Service>* ChannelDatabase::table(int kind) {
    if (kind == kTv)
        return tv_->data();
    if (kind == kRadio)
        return radio_->data();
    return nullptr;
}

const std::unique_ptr<Service>* ChannelDatabase::table(int kind) const {
    return const_cast<ChannelDatabase*>(this)->table(kind);
}

void ChannelDatabase::swap(ChannelDatabase& other) noexcept {
    satellites_.swap(other.satellites_);
    std::swap(tvFirstFree_, other.tvFirstFree_);
    std::swap(radioFirstFree_, other.radioFirstFree_);
    tv_.swap(other.tv_);
    radio_.swap(other.radio_);
    tvFavorites_.swap(other.tvFavorites_);
    radioFavorites_.swap(other.radioFavorites_);
}

bool ChannelDatabase::addService(std::unique_ptr<Service> service) {
    if (!service)
        return false;
    auto* t = table(service->serviceType);
    if (!t)
        return false;
    const int n = capacity(service->serviceType);
    int& hint = firstFree(service->serviceType);
    for (int i = hint; i < n; ++i)
        if (!t[i]) {
            t[i] = std::move(service);
            hint = i + 1;
            return true;
        }
    hint = n;
    return false;
}

int ChannelDatabase::countServices(int kind) const {
    const auto* t = table(kind);
    if (!t)
        return 0;
    return static_cast<int>(
        std::count_if(t, t + capacity(kind), [](const auto& s) { return !!s; }));
}

Service* ChannelDatabase::service(int kind, int slot) const {
    const auto* t = table(kind);
    if (!t || slot < 0 || slot >= capacity(kind))
        return nullptr;
    return t[slot].get();
}

std::vector<Service*> ChannelDatabase::services(int kind) const {
    std::vector<Service*> out;
    const auto* t = table(kind);
    if (!t)
        return out;
    for (int i = 0; i < capacity(kind); ++i)
        if (t[i])
            out.push_back(t[i].get());
    return out;
}

bool ChannelDatabase::removeService(const Service* service) {
    if (!service)
        return false;
    for (int kind : {kTv, kRadio}) {
        auto* t = table(kind);
        for (int i = 0; i < capacity(kind); ++i)
            if (t[i].get() == service) {
                t[i].reset();
                firstFree(kind) = std::min(firstFree(kind), i);
                return true;
            }
    }
    return false;
}

void ChannelDatabase::rebuildTable(int kind, const std::vector<Service*>& order) {
    auto* t = table(kind);
    if (!t)
        return;
    const int n = capacity(kind);
    std::vector<std::unique_ptr<Service>> owned;
    owned.reserve(static_cast<std::size_t>(n));
    std::unordered_map<const Service*, std::size_t> index;
    index.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        if (t[i]) {
            index.emplace(t[i].get(), owned.size());
            owned.push_back(std::move(t[i]));
        }
    int slot = 0;
    for (Service* s : order) {
        auto it = index.find(s);
        if (it == index.end() || !owned[it->second] || slot >= n)
            continue;
        t[slot++] = std::move(owned[it->second]);
    }
    for (auto& rest : owned)
        if (rest && slot < n)
            t[slot++] = std::move(rest);
    firstFree(kind) = slot;
}

Satellite* ChannelDatabase::newSatellite() {
    for (int i = 0; i < kMaxSatellites; ++i)
        if (!satellites_[static_cast<std::size_t>(i)]) {
            auto sat = std::make_unique<Satellite>();
            sat->id = i + 1;
            sat->name = "New Satellite";
            satellites_[static_cast<std::size_t>(i)] = std::move(sat);
            return satellites_[static_cast<std::size_t>(i)].get();
        }
    return nullptr;
}

Satellite* ChannelDatabase::satellite(int id) const {
    if (id < 1 || id > kMaxSatellites)
        return nullptr;
    return satellites_[static_cast<std::size_t>(id - 1)].get();
}

bool ChannelDatabase::addTransponder(int satelliteId, std::unique_ptr<Transponder> transponder) {
    Satellite* sat = satellite(satelliteId);
    if (!sat || !transponder)
        return false;
    for (auto& slot : sat->transponders)
        if (!slot) {
            slot = std::move(transponder);
            return true;
        }
    return false;
}

bool ChannelDatabase::deleteSatellite(int id) {
    if (!satellite(id))
        return false;
    satellites_[static_cast<std::size_t>(id - 1)].reset();
    return true;
}

void ChannelDatabase::deleteSatellites() {
    for (auto& s : satellites_)
        s.reset();
}

int ChannelDatabase::countSatellites() const {
    return static_cast<int>(
        std::count_if(satellites_.begin(), satellites_.end(), [](const auto& s) { return !!s; }));
}

ChannelDatabase::FavoriteTable* ChannelDatabase::favorites(int kind) {
    if (kind == kTv)
        return &tvFavorites_;
    if (kind == kRadio)
        return &radioFavorites_;
    return nullptr;
}

const ChannelDatabase::FavoriteTable* ChannelDatabase::favorites(int kind) const {
    return const_cast<ChannelDatabase*>(this)->favorites(kind);
}

int ChannelDatabase::freeFavoriteId(int kind) const {
    const auto* f = favorites(kind);
    if (!f)
        return -1;
    for (int k = 0; k < kMaxFavoriteGroups; ++k)
        if (!(*f)[static_cast<std::size_t>(k)])
            return 1 << k;
    return -1;
}

bool ChannelDatabase::addFavoriteGroup(std::unique_ptr<FavoriteGroup> group) {
    if (!group)
        return false;
    auto* f = favorites(group->kind);
    const int slot = favoriteSlot(group->id);
    if (!f || slot < 0 || (*f)[static_cast<std::size_t>(slot)])
        return false;
    (*f)[static_cast<std::size_t>(slot)] = std::move(group);
    return true;
}

bool ChannelDatabase::removeFavoriteGroup(const FavoriteGroup* group) {
    if (!group)
        return false;
    auto* f = favorites(group->kind);
    const int slot = favoriteSlot(group->id);
    if (!f || slot < 0 || (*f)[static_cast<std::size_t>(slot)].get() != group)
        return false;
    (*f)[static_cast<std::size_t>(slot)].reset();
    return true;
}

void ChannelDatabase::deleteFavoriteGroups() {
    for (auto& g : tvFavorites_)
        g.reset();
    for (auto& g : radioFavorites_)
        g.reset();
}

FavoriteGroup* ChannelDatabase::favoriteGroup(int kind, int slot) const {
    const auto* f = favorites(kind);
    if (!f || slot < 0 || slot >= kMaxFavoriteGroups)
        return nullptr;
    return (*f)[static_cast<std::size_t>(slot)].get();
}

std::vector<FavoriteGroup*> ChannelDatabase::favoriteGroups(int kind) const {
    std::vector<FavoriteGroup*> out;
    if (const auto* f = favorites(kind))
        for (const auto& g : *f)
            if (g)
                out.push_back(g.get());
    return out;
}

void ChannelDatabase::removeFromFavorites(const Service* service) {
    if (!service)
        return;
    // Both kinds: a channel edit may have changed the service's type field.
    for (auto* f : {&tvFavorites_, &radioFavorites_})
        for (auto& g : *f)
            if (g)
                g->remove(service);
}

}  // namespace velkport::channels
