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

#include "common/Socket.h"

namespace corvid::server::testing {

using namespace std::chrono;

std::string corvidBinary() {
    return CORVID_BINARY;
}

ServeProcess::ServeProcess(const std::vector<std::string>& args,
                           const std::vector<std::string>& prefix, const std::string& corvidHome) {
    std::vector<std::string> all = prefix;
    all.push_back(corvidBinary());
    all.push_back("serve");
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fds[1], STDOUT_FILENO);
        setenv("CORVID_HOME", corvidHome.c_str(), 1);  // "" = the web folder beside the program
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    outFd_ = fds[0];
}

ServeProcess::~ServeProcess() {
    if (pid_ > 0)
        stop();
    if (outFd_ >= 0)
        close(outFd_);
}

bool ServeProcess::waitReady(milliseconds limit) {
    const auto deadline = steady_clock::now() + limit;
    while (outFd_ >= 0 && steady_clock::now() < deadline) {
        const auto pos = output_.find("description: ");
        if (pos != std::string::npos) {
            const auto end = output_.find('\n', pos);
            if (end != std::string::npos) {
                url_ = output_.substr(pos + 13, end - pos - 13);
                return true;
            }
        }
        pollfd p{outFd_, POLLIN, 0};
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (poll(&p, 1, static_cast<int>(std::max<long long>(left, 1))) <= 0)
            continue;
        char buf[1024];
        const ssize_t n = read(outFd_, buf, sizeof buf);
        if (n <= 0)
            return false;  // the process ended without the line
        output_.append(buf, static_cast<std::size_t>(n));
    }
    return false;
}

int ServeProcess::stop(milliseconds limit) {
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    const auto deadline = steady_clock::now() + limit;
    int status = 0;
    while (true) {
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_)
            break;
        if (steady_clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return -1;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
    pid_ = -1;
    return status;
}

std::string ServeProcess::host() const {
    const auto start = url_.find("//");
    const auto colon = url_.find(':', start + 2);
    return start == std::string::npos ? "" : url_.substr(start + 2, colon - start - 2);
}

std::uint16_t ServeProcess::port() const {
    const auto start = url_.find("//");
    const auto colon = url_.find(':', start + 2);
    return static_cast<std::uint16_t>(std::stoi(url_.substr(colon + 1)));
}

HttpResponse httpExchange(const std::string& host, std::uint16_t port, const std::string& request,
                          std::size_t maxBody) {
    HttpResponse r;
    const common::Millis limit(10000);
    common::Socket s = common::Socket::connectTcp(host, port, limit);
    if (!s.valid() || !s.sendAll(request.data(), request.size(), limit))
        return r;
    std::string data;
    std::size_t headerEnd = std::string::npos;
    std::size_t contentLength = SIZE_MAX;
    char buf[65536];
    while (true) {
        if (headerEnd != std::string::npos &&
            data.size() - headerEnd >= std::min(maxBody, contentLength))
            break;
        const ssize_t n = s.receiveSome(buf, sizeof buf, limit);
        if (n <= 0)
            break;
        data.append(buf, static_cast<std::size_t>(n));
        if (headerEnd == std::string::npos) {
            const auto p = data.find("\r\n\r\n");
            if (p == std::string::npos)
                continue;
            headerEnd = p + 4;
            const std::string head = data.substr(0, p);
            std::size_t lineStart = head.find("\r\n");
            r.status = std::atoi(head.substr(9, 3).c_str());
            while (lineStart != std::string::npos) {
                const std::size_t next = head.find("\r\n", lineStart + 2);
                const std::string line =
                    head.substr(lineStart + 2, next == std::string::npos ? std::string::npos
                                                                         : next - lineStart - 2);
                const auto colon = line.find(':');
                if (colon != std::string::npos) {
                    std::string name = line.substr(0, colon);
                    std::transform(name.begin(), name.end(), name.begin(),
                                   [](unsigned char c) { return std::tolower(c); });
                    std::string value = line.substr(colon + 1);
                    value.erase(0, value.find_first_not_of(' '));
                    r.headers[name] = value;
                }
                lineStart = next;
            }
            if (auto it = r.headers.find("content-length"); it != r.headers.end())
                contentLength = std::stoull(it->second);
        }
    }
    if (headerEnd == std::string::npos)
        return r;
    r.body = data.substr(headerEnd);
    r.complete = contentLength == SIZE_MAX || r.body.size() >= contentLength;
    return r;
}

HttpResponse httpGet(const std::string& host, std::uint16_t port, const std::string& path,
                     const std::string& extraHeaders, std::size_t maxBody) {
    const std::string req = "GET " + path + " HTTP/1.1\r\nHost: " + host + ":" +
                            std::to_string(port) + "\r\n" + extraHeaders +
                            "Connection: close\r\n\r\n";
    return httpExchange(host, port, req, maxBody);
}

HttpResponse soapAction(const std::string& host, std::uint16_t port, const std::string& service,
                        const std::string& action, const std::string& arguments) {
    const std::string type = "urn:schemas-upnp-org:service:" + service + ":1";
    const std::string body =
        "<?xml version=\"1.0\"?>\r\n<s:Envelope "
        "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:" +
        action + " xmlns:u=\"" + type + "\">" + arguments + "</u:" + action +
        "></s:Body></s:Envelope>\r\n";
    const std::string req =
        "POST /upnp/control/" + service + "1 HTTP/1.1\r\nHost: " + host + ":" +
        std::to_string(port) + "\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nSOAPACTION: \"" +
        type + "#" + action + "\"\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n" + body;
    return httpExchange(host, port, req);
}

std::string elementText(const std::string& xml, const std::string& name) {
    const std::string open = "<" + name + ">";
    const auto a = xml.find(open);
    if (a == std::string::npos)
        return xml.find("<" + name + "/>") != std::string::npos ? "" : "<absent>";
    const auto b = xml.find("</" + name + ">", a);
    if (b == std::string::npos)
        return "<absent>";
    return xml.substr(a + open.size(), b - a - open.size());
}

std::string xmlUnescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        static const std::pair<const char*, char> kEntities[] = {
            {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}, {"&amp;", '&'}};
        bool done = false;
        for (const auto& [e, c] : kEntities) {
            if (text.compare(i, std::strlen(e), e) == 0) {
                out += c;
                i += std::strlen(e) - 1;
                done = true;
                break;
            }
        }
        if (!done)
            out += '&';
    }
    return out;
}

}  // namespace corvid::server::testing
