#include "velkport/link/ReceiverAddress.h"

namespace velkport::link {

bool ReceiverAddress::IsValid(std::string_view text) {
    int parts = 0;
    std::size_t i = 0;
    while (parts < 4) {
        const std::size_t start = i;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3)
            value = value * 10 + (text[i++] - '0');
        const std::size_t digits = i - start;
        // "010" would be read as octal by the system's own parser: a leading zero is refused.
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0'))
            return false;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != '.')
                return false;
            ++i;
        }
    }
    return i == text.size();
}

}  // namespace velkport::link
