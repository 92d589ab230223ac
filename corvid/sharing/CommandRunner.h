#pragma once
// Runs an outside program (net, smbpasswd, setfacl, ...) with an argument list, never through
// a shell: feeds it an optional text on standard input, collects what it prints on standard
// output and standard error, and ends it when it runs past a time limit.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace corvid::sharing {

struct CommandResult {
    bool started = false;  // false: the program could not be run at all
    int exitCode = -1;     // exit status, or -1 when killed (signal or time limit)
    std::string output;    // standard output
    std::string errors;    // standard error

    bool ok() const { return started && exitCode == 0; }
    // The last non-empty line of standard error (else of standard output), for a message.
    std::string reason() const;
};

class CommandRunner {
  public:
    virtual ~CommandRunner() = default;
    // argv[0] is looked up on PATH. env adds to (or replaces in) the inherited environment.
    virtual CommandResult Run(const std::vector<std::string>& argv, const std::string& input = {},
                              const std::map<std::string, std::string>& env = {});

    std::chrono::milliseconds timeLimit{30000};
};

// True when a program of that name is on PATH.
bool programOnPath(const std::string& name);

}  // namespace corvid::sharing
