#include "corvid/server/DidlWriter.h"

#include "corvid/server/MediaObject.h"

namespace corvid::server {

namespace {

constexpr std::string_view kRootOpen =
    "<DIDL-Lite xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
    "xmlns:upnp=\"urn:schemas-upnp-org:metadata-1-0/upnp/\" "
    "xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\">";
constexpr std::string_view kRootClose = "</DIDL-Lite>\r\n";

void element(std::string& out, std::string_view name, std::string_view text) {
    out += '<';
    out += name;
    out += '>';
    DidlWriter::AppendEscaped(out, text);
    out += "</";
    out += name;
    out += ">\r\n";
}

void attribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    DidlWriter::AppendEscaped(out, value);
    out += '"';
}

}  // namespace

DidlWriter::DidlWriter(std::size_t reserve) {
    text_.reserve(reserve + kRootOpen.size() + kRootClose.size() + 2);
    text_ += kRootOpen;
}

void DidlWriter::AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
}

std::size_t DidlWriter::SizeOf(const MediaObject& o, std::size_t baseUrlLength) {
    auto escaped = [](std::string_view text) {
        std::size_t n = text.size();
        for (char c : text)
            n += c == '&' || c == '<' || c == '>' ? 4 : c == '"' || c == '\'' ? 5 : 0;
        return n;
    };
    // Tags, fixed attributes and line ends of the longer (container) layout.
    std::size_t n = 128 + o.id.size() + o.parentId.size() + escaped(o.title) +
                    std::char_traits<char>::length(o.UpnpClass());
    if (!o.IsContainer())
        n += 64 + std::char_traits<char>::length(o.ProtocolInfo()) + baseUrlLength +
             escaped(o.resourcePath);
    return n;
}

void DidlWriter::Append(const MediaObject& o, std::string_view baseUrl) {
    if (count_ == 0)
        text_ += "\r\n";
    const bool container = o.IsContainer();
    text_ += container ? "<container" : "<item";
    attribute(text_, "id", o.id);
    attribute(text_, "parentId", o.parentId);
    text_ += " restricted=\"false\">\r\n";
    element(text_, "dc:title", o.title);
    element(text_, "upnp:class", o.UpnpClass());
    if (!container) {
        text_ += "<res";
        attribute(text_, "protocolInfo", o.ProtocolInfo());
        attribute(text_, "size", std::to_string(o.size));
        text_ += '>';
        AppendEscaped(text_, baseUrl);
        AppendEscaped(text_, o.ResourcePath());
        text_ += "</res>\r\n";
    }
    text_ += container ? "</container>\r\n" : "</item>\r\n";
    ++count_;
}

std::string DidlWriter::Finish() {
    text_ += kRootClose;
    std::string out = std::move(text_);
    text_.clear();
    count_ = 0;
    return out;
}

}  // namespace corvid::server
