#include "corvid/server/tests/ServeProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>

namespace corvid::server::testing {

using namespace std::chrono;

namespace {

// Forks args with stdout (and stderr when both) into a pipe; the child's pid, -1 on failure.
pid_t spawn(std::vector<std::string> args, int& readFd, bool both,
            const std::string* corvidHome = nullptr) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        if (both)
            dup2(fds[1], STDERR_FILENO);
        if (corvidHome != nullptr)
            setenv("CORVID_HOME", corvidHome->c_str(), 1);  // "" = the web folder of the build
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    readFd = fds[0];
    return pid;
}

// Reads what is there within the time left; false at the end of the stream or the deadline.
bool readSome(int fd, std::string& out, steady_clock::time_point deadline) {
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    if (left <= 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0)
        return true;
    char buf[65536];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0)
        return false;
    out.append(buf, static_cast<std::size_t>(n));
    return true;
}

}  // namespace

RunResult run(const std::vector<std::string>& args, milliseconds limit) {
    RunResult result;
    int fd = -1;
    const pid_t pid = spawn(args, fd, true);
    if (pid < 0)
        return result;
    const auto deadline = steady_clock::now() + limit;
    while (readSome(fd, result.output, deadline)) {
    }
    close(fd);
    const bool late = steady_clock::now() >= deadline;
    if (late)
        kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!late && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}

ServeProcess::ServeProcess(const std::vector<std::string>& args,
                           const std::vector<std::string>& prefix, const std::string& corvidHome) {
    std::vector<std::string> all = prefix;
    all.push_back(CORVID_BINARY);
    all.push_back("serve");
    all.insert(all.end(), args.begin(), args.end());
    pid_ = spawn(all, outFd_, false, &corvidHome);
}

ServeProcess::~ServeProcess() {
    if (pid_ > 0)
        stop();
    if (outFd_ >= 0)
        close(outFd_);
}

bool ServeProcess::waitReady(milliseconds limit) {
    const auto deadline = steady_clock::now() + limit;
    while (outFd_ >= 0) {
        const auto pos = output_.find("description: ");
        const auto end = output_.find('\n', pos);
        if (pos != std::string::npos && end != std::string::npos) {
            url_ = output_.substr(pos + 13, end - pos - 13);
            return true;
        }
        if (!readSome(outFd_, output_, deadline))
            return false;
    }
    return false;
}

void ServeProcess::signal(int number) const {
    if (pid_ > 0)
        kill(pid_, number);
}

int ServeProcess::stop(milliseconds limit) {
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    const auto deadline = steady_clock::now() + limit;
    int status = 0;
    bool reaped = false;
    while (!(reaped = waitpid(pid_, &status, WNOHANG) == pid_) && steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(10));
    if (!reaped) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        status = -1;
    }
    pid_ = -1;
    return status;
}

std::string ServeProcess::url(const std::string& path) const {
    return url_.substr(0, url_.find('/', 7)) + path;
}

HttpResponse curl(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"curl", "-s", "-i", "--max-time", "10"};
    all.insert(all.end(), args.begin(), args.end());
    const std::string out = run(all, seconds(15)).output;
    HttpResponse r;
    const auto headEnd = out.find("\r\n\r\n");
    if (out.size() < 12 || headEnd == std::string::npos)
        return r;
    r.status = std::atoi(out.substr(9, 3).c_str());
    r.body = out.substr(headEnd + 4);
    for (std::size_t at = out.find("\r\n"); at < headEnd;) {
        const std::size_t next = out.find("\r\n", at + 2);
        const std::string line = out.substr(at + 2, next - at - 2);
        const auto colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return std::tolower(c); });
            const auto value = line.find_first_not_of(' ', colon + 1);
            r.headers[name] = value == std::string::npos ? "" : line.substr(value);
        }
        at = next;
    }
    return r;
}

HttpResponse soapAction(const ServeProcess& server, const std::string& service,
                        const std::string& action, const std::string& arguments) {
    const std::string type = "urn:schemas-upnp-org:service:" + service + ":1";
    const std::string body =
        "<?xml version=\"1.0\"?>\r\n<s:Envelope "
        "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:" +
        action + " xmlns:u=\"" + type + "\">" + arguments + "</u:" + action +
        "></s:Body></s:Envelope>\r\n";
    return curl({"-H", "Content-Type: text/xml; charset=\"utf-8\"", "-H",
                 "SOAPACTION: \"" + type + "#" + action + "\"", "--data-binary", body,
                 server.url("/upnp/control/" + service + "1")});
}

std::string browseArgs(const std::string& id, const std::string& flag) {
    return "<ObjectID>" + id + "</ObjectID><BrowseFlag>" + flag +
           "</BrowseFlag><Filter>*</Filter><StartingIndex>0</StartingIndex>"
           "<RequestedCount>0</RequestedCount><SortCriteria></SortCriteria>";
}

std::string elementText(const std::string& xml, const std::string& name) {
    const std::string open = "<" + name + ">";
    const auto a = xml.find(open);
    if (a == std::string::npos)
        return xml.find("<" + name + "/>") != std::string::npos ? "" : "<absent>";
    const auto b = xml.find("</" + name + ">", a);
    return b == std::string::npos ? "<absent>" : xml.substr(a + open.size(), b - a - open.size());
}

std::string xmlUnescape(const std::string& text) {
    static const std::pair<std::string, char> kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto e = std::find_if(std::begin(kEntities), std::end(kEntities), [&](const auto& x) {
            return text.compare(i, x.first.size(), x.first) == 0;
        });
        if (text[i] == '&' && e != std::end(kEntities)) {
            out += e->second;
            i += e->first.size() - 1;
        } else if (text[i] != '\r') {
            out += text[i];
        }
    }
    return out;
}

}  // namespace corvid::server::testing
