#include "tools/velkctl/tests/VelkctlRunner.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "tests/fixtures/ChildProcess.h"

namespace velkctl::testing {

using namespace std::chrono;

std::filesystem::path VelkctlPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / ".." / "velkctl";
}

Outcome RunVelkctl(const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& env, milliseconds limit,
                   milliseconds interruptAfter) {
    std::vector<std::string> argv = {"/usr/bin/env"};
    for (char** e = environ; *e; ++e) {
        const std::string s = *e;
        if (s.rfind("VELK_", 0) == 0)
            argv.insert(argv.end(), {"-u", s.substr(0, s.find('='))});
    }
    for (const auto& [k, v] : env)
        argv.push_back(k + "=" + v);
    argv.push_back(VelkctlPath().string());
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    fixtures::TempDir dir;
    Outcome o;
    {
        fixtures::ChildProcess child(argv, dir / "err");
        const auto end = steady_clock::now() + limit;
        if (interruptAfter.count() > 0) {  // its output waits in the pipe meanwhile
            std::this_thread::sleep_for(interruptAfter);
            child.signal(SIGINT);
        }
        const auto left = [end] {
            return std::max(duration_cast<milliseconds>(end - steady_clock::now()), 0ms);
        };
        o.out = child.readAll(left());
        o.status = child.wait(left());
    }
    o.err = fixtures::readFile(dir / "err");
    return o;
}

Outcome VelkctlOnSim::Run(const std::vector<std::string>& args, milliseconds interruptAfter,
                          int portBase) {
    std::vector<std::string> all = {
        "--receiver",  "127.0.0.1",
        "--port-base", std::to_string(portBase ? portBase : sim_->portBase()),
        "--ftp-port",  std::to_string(sim_->ftpPort()),
        "--pin",       "0000"};
    if (answerYes_)
        all.push_back("--yes");
    all.insert(all.end(), args.begin(), args.end());
    const std::string home = home_.path().string();
    return RunVelkctl(
        all, {{"TZ", "UTC"}, {"HOME", home}, {"XDG_CONFIG_HOME", home}, {"XDG_RUNTIME_DIR", home}},
        seconds(20), interruptAfter);
}

}  // namespace velkctl::testing
