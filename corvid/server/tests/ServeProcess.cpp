#include "corvid/server/tests/ServeProcess.h"

#include <signal.h>

#include <algorithm>
#include <cctype>

namespace corvid::server::testing {

using namespace std::chrono;

RunResult run(const std::vector<std::string>& args, milliseconds limit) {
    std::vector<std::string> argv = {"/usr/bin/env"};  // which finds the program on PATH
    argv.insert(argv.end(), args.begin(), args.end());
    fixtures::TempDir dir;
    fixtures::ChildProcess child(argv, dir / "err");
    const auto deadline = steady_clock::now() + limit;
    RunResult result{-1, child.readAll(limit)};
    result.status =
        child.wait(std::max(duration_cast<milliseconds>(deadline - steady_clock::now()), 0ms));
    result.output += fixtures::readFile(dir / "err");  // complete once it has ended
    return result;
}

ServeProcess::ServeProcess(const std::vector<std::string>& args,
                           const std::vector<std::string>& prefix, const std::string& corvidHome) {
    // CORVID_HOME "" is the web folder of the build.
    std::vector<std::string> all = {"/usr/bin/env", "CORVID_HOME=" + corvidHome};
    all.insert(all.end(), prefix.begin(), prefix.end());
    all.insert(all.end(), {CORVID_BINARY, "serve"});
    all.insert(all.end(), args.begin(), args.end());
    child_ = std::make_unique<fixtures::ChildProcess>(all, dir_ / "err");
}

bool ServeProcess::waitReady(milliseconds limit) {
    const auto deadline = steady_clock::now() + limit;
    std::string line;
    while (child_->readLine(
        line, std::max(duration_cast<milliseconds>(deadline - steady_clock::now()), 0ms))) {
        output_ += line + "\n";
        if (line.rfind("description: ", 0) == 0) {
            url_ = line.substr(13);
            return true;
        }
    }
    return false;
}

int ServeProcess::stop(milliseconds limit) {
    child_->signal(SIGTERM);
    return child_->wait(limit);
}

std::string ServeProcess::url(const std::string& path) const {
    return url_.substr(0, url_.find('/', 7)) + path;
}

HttpResponse curl(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"curl", "-s", "-i", "--max-time", "10"};
    all.insert(all.end(), args.begin(), args.end());
    const std::string out = run(all, seconds(15)).output;  // curl -s writes nothing to stderr
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

std::string xmlUnescape(std::string text) {
    std::erase(text, '\r');
    // &amp; last, so that an escaped entity ("&amp;lt;") comes out as written ("&lt;").
    for (const auto& [entity, c] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                    {"&gt;", ">"},
                                    {"&quot;", "\""},
                                    {"&apos;", "'"},
                                    {"&amp;", "&"}})
        for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, entity.size(), c);
    return text;
}

}  // namespace corvid::server::testing
