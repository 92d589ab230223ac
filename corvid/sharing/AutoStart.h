#pragma once
// Starting Corvid with the desktop session: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/corvid.desktop) that runs the program with no argument, so it
// knows it was started with the session. For a home server without a desktop the systemd user
// unit "corvid.service" (corvid serve) is enabled instead.

#include <filesystem>
#include <string>

namespace corvid::sharing {

class CommandRunner;
class SharingSettings;

class AutoStart {
  public:
    // configFolder: $XDG_CONFIG_HOME (else ~/.config) when empty.
    explicit AutoStart(std::filesystem::path configFolder = {});

    std::filesystem::path EntryFile() const { return configFolder_ / "autostart/corvid.desktop"; }
    // The entry's text for a program.
    static std::string EntryText(const std::filesystem::path& program);

    // Stores "AutoStart" in the settings (and saves them), and writes the entry for program
    // when on or removes it when off. False when the entry cannot be written or removed.
    bool SetAutoStart(SharingSettings& settings, bool on, const std::filesystem::path& program);
    // True when the entry exists and starts this program.
    bool IsOn(const std::filesystem::path& program) const;

    // Enables (and starts) or disables (and stops) the systemd user unit of the media server;
    // false with systemctl's reason when it refuses.
    static bool SetServiceEnabled(CommandRunner& runner, bool on, std::string* error = nullptr);

  private:
    std::filesystem::path configFolder_;
};

}  // namespace corvid::sharing
