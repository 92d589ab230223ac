#pragma once
// Test helpers: a `corvid serve` child process (started, waited for its "description: URL"
// line, stopped with SIGTERM and reaped), and a small HTTP/SOAP client over common::Socket.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace corvid::server::testing {

class ServeProcess {
  public:
    // Runs `prefix... corvid serve args...`; prefix may be empty or e.g. {"ip","netns","exec",ns}.
    // corvidHome: the folder whose "web" subfolder the server uses ("" = the build's own).
    ServeProcess(const std::vector<std::string>& args, const std::vector<std::string>& prefix = {},
                 const std::string& corvidHome = "");
    ~ServeProcess();
    ServeProcess(const ServeProcess&) = delete;
    ServeProcess& operator=(const ServeProcess&) = delete;

    // Waits for the description line; false when the process ends or the time runs out.
    bool waitReady(std::chrono::milliseconds limit = std::chrono::seconds(20));
    // SIGTERM and wait; the exit status (as waitpid reports it), or -1 on time-out (then killed).
    int stop(std::chrono::milliseconds limit = std::chrono::seconds(10));

    const std::string& descriptionUrl() const { return url_; }
    std::string host() const;
    std::uint16_t port() const;
    const std::string& output() const { return output_; }

  private:
    pid_t pid_ = -1;
    int outFd_ = -1;
    std::string output_;
    std::string url_;
};

struct HttpResponse {
    int status = 0;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    bool complete = false;  // the whole body (per Content-Length) arrived
};

// Sends a raw request and reads the answer; with maxBody, stops reading after that many body
// bytes (for very large files).
HttpResponse httpExchange(const std::string& host, std::uint16_t port, const std::string& request,
                          std::size_t maxBody = SIZE_MAX);
HttpResponse httpGet(const std::string& host, std::uint16_t port, const std::string& path,
                     const std::string& extraHeaders = "", std::size_t maxBody = SIZE_MAX);
// A SOAP action; the response body is the envelope.
HttpResponse soapAction(const std::string& host, std::uint16_t port, const std::string& service,
                        const std::string& action, const std::string& arguments);
// Text of the first element <name>…</name> in a document (no XML unescaping), or "<absent>".
std::string elementText(const std::string& xml, const std::string& name);
// Reverses the five XML entity escapes.
std::string xmlUnescape(const std::string& text);

// Path of the corvid program and the web folder of this build.
std::string corvidBinary();

}  // namespace corvid::server::testing
