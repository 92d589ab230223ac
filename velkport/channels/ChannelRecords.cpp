#include "velkport/channels/ChannelRecords.h"

#include <algorithm>
#include <limits>

namespace velkport::channels {

int FavoriteGroup::memberCount() const {
    return static_cast<int>(
        std::count_if(members.begin(), members.end(), [](const Service* s) { return s; }));
}

bool FavoriteGroup::contains(const Service* s) const {
    return s && std::find(members.begin(), members.end(), s) != members.end();
}

void FavoriteGroup::closeUp() {
    auto end = std::stable_partition(members.begin(), members.end(),
                                     [](const Service* s) { return s != nullptr; });
    std::fill(end, members.end(), nullptr);
}

bool FavoriteGroup::append(Service* s) {
    auto last = std::find_if(members.rbegin(), members.rend(), [](const Service* m) { return m; });
    auto next = static_cast<std::size_t>(members.rend() - last);
    if (next >= members.size())
        return false;
    members[next] = s;
    return true;
}

bool FavoriteGroup::remove(const Service* s) {
    bool found = false;
    for (auto& m : members)
        if (m == s) {
            m = nullptr;
            found = true;
        }
    if (found)
        closeUp();
    return found;
}

int favoriteSlot(std::int32_t id) {
    for (int k = 0; k < kMaxFavoriteGroups; ++k)
        if (id == (1 << k))
            return k;
    return -1;
}

std::int32_t leadingInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    if (negative)
        value = -value;
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

std::string cutUtf8(std::string text, std::size_t n) {
    if (text.size() <= n)
        return text;
    std::size_t end = n;
    // Step back over continuation bytes so that the cut falls before a lead byte.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

}  // namespace velkport::channels
