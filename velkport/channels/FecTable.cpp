#include "velkport/channels/FecTable.h"

#include <array>

namespace velkport::channels {

namespace {
constexpr std::array<std::string_view, 20> kNames = {
    "DVBS_1_2",       "DVBS_2_3",       "DVBS_3_4",        "DVBS_5_6",       "DVBS_7_8",
    "DVBS2_QPSK_1_2", "DVBS2_QPSK_3_5", "DVBS2_QPSK_2_3",  "DVBS2_QPSK_3_4", "DVBS2_QPSK_4_5",
    "DVBS2_QPSK_5_6", "DVBS2_QPSK_8_9", "DVBS2_QPSK_9_10", "8PSK_3_5",       "8PSK_2_3",
    "8PSK_3_4",       "8PSK_5_6",       "8PSK_8_9",        "8PSK_9_10",      "UNDEFINED",
};
}  // namespace

std::int32_t FecTable::codeOf(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (kNames[i] == name)
            return static_cast<std::int32_t>(i + 1);
    return kUndefined;
}

std::string_view FecTable::nameOf(std::int32_t code) {
    if (code < 1 || code > kUndefined)
        return kNames[kUndefined - 1];
    return kNames[static_cast<std::size_t>(code - 1)];
}

}  // namespace velkport::channels
