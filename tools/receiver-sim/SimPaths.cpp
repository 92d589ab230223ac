#include "tools/receiver-sim/SimPaths.h"

#include <string>
#include <system_error>
#include <vector>

namespace receiversim {

namespace fs = std::filesystem;

namespace {

bool isUnder(const fs::path& root, const fs::path& p) {
    auto r = root.begin();
    auto q = p.begin();
    for (; r != root.end(); ++r, ++q) {
        if (r->empty())
            continue;  // a trailing separator of the root
        if (q == p.end() || *r != *q)
            return false;
    }
    return true;
}

}  // namespace

std::optional<fs::path> ResolveUnderRoot(const fs::path& root, std::string_view clientPath) {
    if (clientPath.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::vector<std::string> parts;
    std::string name;
    auto flush = [&]() -> bool {
        if (name.empty() || name == ".") {
        } else if (name == "..") {
            if (parts.empty())
                return false;
            parts.pop_back();
        } else {
            parts.push_back(name);
        }
        name.clear();
        return true;
    };
    for (char c : clientPath) {
        if (c == '/' || c == '\\') {
            if (!flush())
                return std::nullopt;
        } else {
            name.push_back(c);
        }
    }
    if (!flush())
        return std::nullopt;

    std::error_code ec;
    const fs::path canonicalRoot = fs::weakly_canonical(root, ec);
    if (ec)
        return std::nullopt;
    fs::path out = canonicalRoot;
    for (const auto& p : parts)
        out /= p;
    // weakly_canonical follows the links of the part that exists.
    const fs::path real = fs::weakly_canonical(out, ec);
    if (ec || !isUnder(canonicalRoot, real))
        return std::nullopt;
    return out;
}

}  // namespace receiversim
