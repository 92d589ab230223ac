// Feeds arbitrary bytes as Corvid's settings file, as Samba's share listing and as a stored
// key and password.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "corvid/sharing/PasswordScrambler.h"
#include "corvid/sharing/SambaShares.h"
#include "corvid/sharing/SharingSettings.h"

namespace {

using namespace corvid::sharing;

class NoShares : public ShareSystem {
  public:
    bool List(std::vector<ShareRecord>&, std::string&) override { return true; }
    bool Create(const ShareRecord&, const std::string&, std::string&) override { return false; }
    bool Remove(const ShareRecord&, const std::string&, bool, std::string&) override {
        return false;
    }
};

// A folder of its own for the whole run, removed at exit.
struct Folder {
    Folder() {
        char name[] = "/tmp/corvid-settings-fuzz-XXXXXX";
        if (::mkdtemp(name) != nullptr)
            path = name;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Folder folder;
    static NoShares system;
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream out(folder.path / "corvid.ini", std::ios::binary | std::ios::trunc);
        out << text;
    }
    ::chmod((folder.path / "corvid.ini").c_str(), 0600);
    SharingSettings settings(folder.path, &system);
    settings.LoadSettings();
    if (!settings.password.empty() && settings.key.size() != 32)
        std::abort();
    settings.SaveSettings();
    SharingSettings again(folder.path, &system);
    again.LoadSettings();
    if (again.password != settings.password || again.user != settings.user)
        std::abort();  // what was saved reads back the same

    for (const ShareRecord& r : SambaShares::ParseUsershareInfo(text)) {
        if (r.name.empty() || r.name.size() > ShareRecord::kMaxNameLength || r.path.empty())
            std::abort();
    }
    const auto half = text.size() / 2;
    if (auto plain = PasswordScrambler::Unscramble(text.substr(0, half), text.substr(half))) {
        if (plain->find('\0') != std::string::npos)
            std::abort();
    }
    return 0;
}
