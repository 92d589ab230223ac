#pragma once
// velkctl: the command-line client for the receiver. The options every command shares, the
// command table, and small helpers for the command files. Each command group lives in its own
// source file and adds its commands to the table with a static Registration.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "velkport/shell/base/AppContext.h"
#include "velkport/shell/base/Prompter.h"

namespace velkctl {

constexpr int kExitOk = 0;       // the command did what was asked
constexpr int kExitFailure = 1;  // it failed; the system's message went to standard error
constexpr int kExitUsage = 2;    // the command line was wrong

// What every command gets: the global options, the application object made from them, and
// the prompter that says things on the terminal.
struct Context {
    velkport::shell::AppContext app;  // receiver address, user id, pin code, ports, language
    velkport::shell::Prompter* prompter = nullptr;
    bool yes = false;                          // --yes: every question is answered yes
    std::chrono::milliseconds timeout{30000};  // each connect, send and reply
};

using CommandFunction = int (*)(Context& context, const std::vector<std::string>& args);

struct CommandInfo {
    std::string name;           // "get"
    std::string synopsis;       // "get REMOTE_PATH LOCAL_FILE"
    std::string summary;        // one line for the command list
    std::string help;           // the text of "velkctl COMMAND --help", after the synopsis
    bool needsReceiver = true;  // the receiver address, user id and pin code must be given
    CommandFunction run = nullptr;
};

// The command table, in the order of registration.
const std::vector<CommandInfo>& Commands();
const CommandInfo* FindCommand(const std::string& name);

// Adds a command to the table when the program starts:
//   static const velkctl::Registration kGet({"get", "get REMOTE_PATH LOCAL_FILE", ...});
struct Registration {
    explicit Registration(CommandInfo info);
};

// Prints "velkctl: MESSAGE" and a pointer to --help on standard error; returns kExitUsage.
int UsageError(const std::string& command, const std::string& message);

// Splits a receiver path into its folder and file name: "/a/b c/f.xml" gives "/a/b c" and
// "f.xml"; "f.xml" gives "" (the current folder) and "f.xml"; "/f.xml" gives "/" and "f.xml".
// False when there is no file name ("", "/a/").
bool SplitRemotePath(const std::string& path, std::string& folder, std::string& name);

// Parses a port number 1..65535; false for anything else.
bool ParsePort(const std::string& text, std::uint16_t& port);

}  // namespace velkctl
