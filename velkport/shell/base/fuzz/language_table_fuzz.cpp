// Feeds arbitrary bytes to the language table reader and to the character-safe cut.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "velkport/shell/base/MessageCatalogue.h"

using velkport::shell::MessageCatalogue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> table;
    std::string error;
    bool ok = MessageCatalogue::ParseTable(text, table, &error);
    if (table.size() != MessageCatalogue::kMessageCount)
        std::abort();
    if (ok != error.empty())
        std::abort();
    if (ok)
        for (const auto& message : table)
            if (message.size() > size)
                std::abort();  // unescaping never makes a text longer
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{127}}) {
        std::string cut = velkport::shell::CutToCharacters(text, n);
        if (cut.size() > text.size() || text.substr(0, cut.size()) != cut)
            std::abort();
    }
    return 0;
}
