#pragma once
// Where Velkport's own data lives (lang/config.ini, the help), and the language choice made from
// it at start-up.
//
// The program folder is, in this order: $VELKPORT_HOME when set; <folder of the executable>/
// ../share/velkport for an installed program; the data folder of the source tree for a program
// run from its build folder.

#include <filesystem>
#include <string_view>

#include "velkport/shell/base/AppContext.h"

namespace velkport::shell {

// The running executable's full path (empty when the system does not say).
std::filesystem::path ExecutablePath();

// The program folder for an executable at `executable`, without a trailing separator.
std::filesystem::path FindProgramFolder(const std::filesystem::path& executable = ExecutablePath());

// Records the program folder and the program's file name in the application object.
void RecordProgramLocation(AppContext& app,
                           const std::filesystem::path& executable = ExecutablePath());

// Reads LANG of section CONFIG from <app.programFolder>/lang/config.ini (at most 256
// characters; a missing file or key counts as empty), sets the German flag and selects the
// language in the message catalogue. Returns the language number chosen.
int ChooseLanguage(AppContext& app);

// Selects the language named by a code given on a command line: "ENG", "GER", "FIN", "DAN" or
// "SWE", upper or lower case. False, with nothing changed, for any other code.
bool ApplyLanguageCode(std::string_view code, AppContext& app);

}  // namespace velkport::shell
