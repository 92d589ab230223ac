#include "velkport/shell/ProgramFolder.h"

#include <cstdlib>
#include <system_error>

#include "common/IniFile.h"
#include "velkport/shell/base/MessageCatalogue.h"

#ifndef VELK_SHELL_DATA_DIR
#define VELK_SHELL_DATA_DIR ""
#endif

namespace velkport::shell {

namespace {

// The longest LANG value read, as the profile buffer of the Windows program allowed.
constexpr std::size_t kMaxLanguageValue = 256;

std::filesystem::path withoutTrailingSeparator(std::filesystem::path p) {
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

bool isFolder(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_directory(p, ec);
}

}  // namespace

std::filesystem::path ExecutablePath() {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : p;
}

std::filesystem::path FindProgramFolder(const std::filesystem::path& executable) {
    if (const char* home = std::getenv("VELKPORT_HOME"); home && *home)
        return withoutTrailingSeparator(home);
    std::filesystem::path exeFolder = executable.parent_path();
    if (!exeFolder.empty()) {
        std::filesystem::path installed = exeFolder / ".." / "share" / "velkport";
        if (isFolder(installed))
            return withoutTrailingSeparator(installed);
    }
    std::filesystem::path source = VELK_SHELL_DATA_DIR;
    if (!source.empty() && isFolder(source))
        return withoutTrailingSeparator(source);
    return withoutTrailingSeparator(exeFolder);
}

void RecordProgramLocation(AppContext& app, const std::filesystem::path& executable) {
    app.programFolder = FindProgramFolder(executable);
    if (!executable.empty())
        app.programName = executable.filename().string();
}

namespace {

void selectLanguage(int number, AppContext& app) {
    app.german = number == kGerman;
    MessageCatalogue::instance().SetLanguage(number);
}

}  // namespace

int ChooseLanguage(AppContext& app) {
    common::IniFile config;
    config.load(app.programFolder / "lang" / "config.ini");
    std::string value = config.get("CONFIG", "LANG").value_or(std::string());
    if (value.size() > kMaxLanguageValue)
        value.resize(kMaxLanguageValue);
    int number = MessageCatalogue::LanguageFromCode(value);
    selectLanguage(number, app);
    return number;
}

bool ApplyLanguageCode(std::string_view code, AppContext& app) {
    if (code.size() != 3)
        return false;
    std::string upper(code);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    int number = MessageCatalogue::LanguageFromCode(upper);
    if (number == kEnglish && upper != "ENG")
        return false;
    selectLanguage(number, app);
    return true;
}

}  // namespace velkport::shell
