#include "corvid/sharing/AutoStart.h"

#include <cstdlib>

#include "common/IniFile.h"
#include "corvid/sharing/AtomicFile.h"
#include "corvid/sharing/CommandRunner.h"
#include "corvid/sharing/SharingSettings.h"

namespace corvid::sharing {

namespace {

std::filesystem::path defaultConfigFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
        return config;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "/tmp") / ".config";
}

// Quoted for the Exec key: the path in double quotes with \, ", ` and $ escaped.
std::string quoteExec(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += "\\\\";
        out += c;
    }
    return out + "\"";
}

}  // namespace

AutoStart::AutoStart(std::filesystem::path configFolder)
    : configFolder_(configFolder.empty() ? defaultConfigFolder() : std::move(configFolder)) {}

std::string AutoStart::EntryText(const std::filesystem::path& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Corvid\n"
           "Comment=Shares this PC's media with the receiver\n"
           "Exec=" +
           quoteExec(program.string()) +
           "\n"
           "Icon=corvid\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool AutoStart::SetAutoStart(SharingSettings& settings, bool on,
                             const std::filesystem::path& program) {
    settings.SetAutoStart(on ? 1 : 0);
    std::error_code ec;
    if (!on) {
        std::filesystem::remove(EntryFile(), ec);
        return !ec;
    }
    std::filesystem::create_directories(EntryFile().parent_path(), ec);
    return AtomicFile::Write(EntryFile(), EntryText(program));
}

bool AutoStart::IsOn(const std::filesystem::path& program) const {
    common::IniFile entry;
    if (entry.load(EntryFile()) != common::IniFile::LoadResult::Loaded)
        return false;
    // The file reader drops one pair of quotes around a value.
    const auto exec = entry.get("Desktop Entry", "Exec").value_or("");
    return exec == program.string() || exec == quoteExec(program.string());
}

bool AutoStart::SetServiceEnabled(CommandRunner& runner, bool on, std::string* error) {
    const auto result =
        runner.Run({"systemctl", "--user", on ? "enable" : "disable", "--now", "corvid.service"});
    if (!result.ok() && error != nullptr)
        *error = result.started ? result.reason() : "systemctl could not be run";
    return result.ok();
}

}  // namespace corvid::sharing
