#pragma once
// The values Velkport remembers between runs: the last receiver address and the PC folder for
// recordings. They live in a per-user INI file, section [Setting], under the value names the
// Windows program used in the registry ("LastFtpIP", "LocalPath").

#include <filesystem>
#include <optional>
#include <string>

namespace velkport::shell {

class SettingsStore {
  public:
    // The default file: $XDG_CONFIG_HOME (or ~/.config) + "/Quintavo/Velkport.ini".
    static std::filesystem::path DefaultFile();

    explicit SettingsStore(std::filesystem::path file = DefaultFile());

    std::optional<std::string> LoadLastAddress() const;
    bool SaveLastAddress(const std::string& address);

    // A missing "LocalPath" is written empty at once and the load reports nothing; an empty
    // value also reports nothing.
    std::optional<std::string> LoadLocalPath();
    bool SaveLocalPath(const std::string& path);

    // The user's documents folder + "/Record", created when missing and saved as "LocalPath".
    std::optional<std::string> DefaultLocalPath();

    const std::filesystem::path& file() const { return file_; }

  private:
    std::filesystem::path file_;
};

}  // namespace velkport::shell
