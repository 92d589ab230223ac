#include "tools/velkctl/Velkctl.h"

#include <cstdio>

namespace velkctl {

namespace {

std::vector<CommandInfo>& Table() {
    static std::vector<CommandInfo> table;
    return table;
}

}  // namespace

const std::vector<CommandInfo>& Commands() {
    return Table();
}

const CommandInfo* FindCommand(const std::string& name) {
    for (const auto& c : Table()) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

Registration::Registration(CommandInfo info) {
    Table().push_back(std::move(info));
}

int UsageError(const std::string& command, const std::string& message) {
    std::fprintf(stderr, "velkctl: %s\n", message.c_str());
    if (command.empty())
        std::fprintf(stderr, "Try 'velkctl --help'.\n");
    else
        std::fprintf(stderr, "Try 'velkctl %s --help'.\n", command.c_str());
    return kExitUsage;
}

bool SplitRemotePath(const std::string& path, std::string& folder, std::string& name) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder.clear();
        name = path;
    } else {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
    return !name.empty() && name != "." && name != "..";
}

bool ParsePort(const std::string& text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5)
        return false;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v < 1 || v > 65535)
        return false;
    port = static_cast<std::uint16_t>(v);
    return true;
}

}  // namespace velkctl
