#pragma once
// The one harness for tests against a running `corvid serve`: the child process (started,
// waited for its "description: URL" line, stopped with SIGTERM and always reaped), other
// programs run with a time limit, and HTTP and SOAP requests made with curl.

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/fixtures/ChildProcess.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server::testing {

struct RunResult {
    int status = -1;     // exit status, -1 when it had to be killed
    std::string output;  // stdout, then stderr
};

// Runs a program found on PATH, killed when it outlives the limit.
RunResult run(const std::vector<std::string>& args,
              std::chrono::milliseconds limit = std::chrono::seconds(20));

class ServeProcess {
  public:
    // Runs `env prefix... corvid serve args...`; prefix may be empty, set variables ("NAME=value")
    // or run it elsewhere ({"ip", "netns", "exec", ns}).
    // corvidHome: the folder whose "web" subfolder the server uses ("" = the build's own).
    explicit ServeProcess(const std::vector<std::string>& args,
                          const std::vector<std::string>& prefix = {},
                          const std::string& corvidHome = "");

    // Waits for the description line; false when the process ends or the time runs out.
    bool waitReady(std::chrono::milliseconds limit = std::chrono::seconds(20));
    // Sends a signal (SIGTERM stops, SIGHUP rescans).
    void signal(int number) const { child_->signal(number); }
    // SIGTERM and wait; the exit status, or -1 on time-out (then it is killed).
    int stop(std::chrono::milliseconds limit = std::chrono::seconds(10));

    const std::string& descriptionUrl() const { return url_; }
    // "http://IP:PORT" + path
    std::string url(const std::string& path) const;
    // What it wrote so far: the lines read from stdout, then stderr.
    std::string output() const { return output_ + fixtures::readFile(dir_ / "err"); }

  private:
    fixtures::TempDir dir_;
    std::unique_ptr<fixtures::ChildProcess> child_;
    std::string output_;
    std::string url_;
};

struct HttpResponse {
    int status = 0;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
};

// curl -s -i with a time limit and these arguments (options, then the URL).
HttpResponse curl(const std::vector<std::string>& args);
// A SOAP action of "ContentDirectory" or "ConnectionManager"; the body is the envelope.
HttpResponse soapAction(const ServeProcess& server, const std::string& service,
                        const std::string& action, const std::string& arguments = "");
// Arguments of a Browse request.
std::string browseArgs(const std::string& id, const std::string& flag = "BrowseDirectChildren");
// Text of the first element <name>…</name> in a document (no XML unescaping), or "<absent>".
std::string elementText(const std::string& xml, const std::string& name);
// Reverses the five XML entity escapes and drops the CRs of CRLF line ends.
std::string xmlUnescape(std::string text);

}  // namespace corvid::server::testing
