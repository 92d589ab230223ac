#include "velkport/channels/ChannelListFile.h"

#include "common/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "velkport/channels/FecTable.h"
#include "velkport/channels/IxmlHandles.h"
#include "velkport/link/ReplacingFile.h"

namespace velkport::channels {

namespace {

// ---- reading ----

std::string_view nameOf(IXML_Node* n) {
    return n && n->nodeName ? std::string_view(n->nodeName) : std::string_view();
}

// The text content of an element: the value of its first child when that is a text node.
std::string_view textOf(IXML_Node* element) {
    IXML_Node* child = element ? element->firstChild : nullptr;
    if (!child || child->nodeType != eTEXT_NODE || !child->nodeValue)
        return {};
    return child->nodeValue;
}

std::int32_t toInt(std::string_view text) {
    return leadingInt(text);
}

std::int32_t toBand(std::string_view text) {
    if (!text.empty() && text[0] == 'C')
        return 0;
    if (text == "Ku")
        return 1;
    return 2;
}

std::uint8_t toFlag(std::string_view text) {
    return text == "true" ? 1 : 0;
}

char firstChar(std::string_view text) {
    return text.empty() ? '\0' : text[0];
}

std::string toName(std::string_view text) {
    return cutUtf8(std::string(text));
}

void readTransponder(ChannelDatabase& db, Satellite& sat, IXML_Node* element) {
    auto tp = std::make_unique<Transponder>();
    tp->satelliteId = sat.id;
    for (IXML_Node* c = element->firstChild; c; c = c->nextSibling) {
        const auto name = nameOf(c);
        const auto text = textOf(c);
        if (name == "Frequency")
            tp->frequency = toInt(text);
        else if (name == "SymbolRate")
            tp->symbolRate = toInt(text);
        else if (name == "Tsid")
            tp->tsid = toInt(text);
        else if (name == "Onid")
            tp->onid = toInt(text);
        else if (name == "Nid")
            tp->nid = toInt(text);
        else if (name == "Pol")
            tp->polarization = firstChar(text);
        else if (name == "FEC")
            tp->fec = FecTable::codeOf(text);
    }
    db.addTransponder(sat.id, std::move(tp));  // one that does not fit is freed
}

void readSatellites(ChannelDatabase& db, IXML_Node* list) {
    for (IXML_Node* e = list->firstChild; e; e = e->nextSibling) {
        if (nameOf(e) != "Satellite")
            continue;
        Satellite* sat = db.newSatellite();
        if (!sat)
            continue;  // all 200 slots taken: further satellites are ignored
        sat->name.clear();
        for (IXML_Node* c = e->firstChild; c; c = c->nextSibling) {
            const auto name = nameOf(c);
            if (name == "SatName")
                sat->name = toName(textOf(c));
            else if (name == "Longitude")
                sat->longitude = toInt(textOf(c));
            else if (name == "Band")
                sat->band = toBand(textOf(c));
            else if (name == "Transponder")
                readTransponder(db, *sat, c);
        }
    }
}

void readCarrier(Service& s, IXML_Node* carrier) {
    for (IXML_Node* c = carrier->firstChild; c; c = c->nextSibling) {
        const auto name = nameOf(c);
        const auto text = textOf(c);
        if (name == "Frequency")
            s.carrierFrequency = toInt(text);
        else if (name == "SymbolRate")
            s.carrierSymbolRate = toInt(text);
        else if (name == "QAM")
            s.carrierQam = toInt(text);
        else if (name == "Longitude")
            s.carrierLongitude = toInt(text);
        else if (name == "Band")
            s.carrierBand = toBand(text);
        else if (name == "Pol")
            s.carrierPolarization = firstChar(text);
        else if (name == "FEC")
            s.carrierFec = FecTable::codeOf(text);
    }
}

void readService(ChannelDatabase& db, IXML_Node* element) {
    auto s = std::make_unique<Service>();
    for (IXML_Node* c = element->firstChild; c; c = c->nextSibling) {
        const auto name = nameOf(c);
        if (name == "Carrier") {
            readCarrier(*s, c);
            continue;
        }
        const auto text = textOf(c);
        if (name == "ChannelNo")
            s->channelNumber = toInt(text);
        else if (name == "Name")
            s->name = toName(text);
        else if (name == "Sid")
            s->sid = toInt(text);
        else if (name == "Tsid")
            s->tsid = toInt(text);
        else if (name == "Onid")
            s->onid = toInt(text);
        else if (name == "Vpid")
            s->vpid = toInt(text);
        else if (name == "Apid")
            s->apid = toInt(text);
        else if (name == "PCRpid")
            s->pcrPid = toInt(text);
        else if (name == "Scrambled")
            s->scrambled = toFlag(text);
        else if (name == "Skipped")
            s->skipped = toFlag(text);
        else if (name == "Locked")
            s->locked = toFlag(text);
        else if (name == "ServiceType")
            s->serviceType = text == "Radio" ? kRadio : text == "DATA" ? kData : kTv;
    }
    db.addService(std::move(s));  // a data service or one beyond the table's end is freed
}

void readFavorites(ChannelDatabase& db, IXML_Node* list) {
    int counter[2] = {0, 0};
    for (IXML_Node* e = list->firstChild; e; e = e->nextSibling) {
        if (nameOf(e) != "FavoriteGroup")
            continue;
        auto g = std::make_unique<FavoriteGroup>();
        g->kind = kTv;
        for (IXML_Node* c = e->firstChild; c; c = c->nextSibling) {
            const auto name = nameOf(c);
            const auto text = textOf(c);
            if (name == "ServiceType") {
                g->kind = text == "TV" ? kTv : kRadio;
                int& n = counter[g->kind];
                // Beyond the eighth group the id has no slot and the group is dropped below.
                g->id = n < kMaxFavoriteGroups ? (1 << n) : 0;
                if (n <= kMaxFavoriteGroups)
                    ++n;
            } else if (name == "Name") {
                g->name = toName(text);
            } else if (name == "ChannelNo") {
                const std::int32_t no = toInt(text);
                if (no < 1 || no > ChannelDatabase::capacity(g->kind))
                    continue;
                Service* s = db.service(g->kind, no - 1);
                if (s && !g->contains(s))
                    g->append(s);  // at most 100 members
            }
        }
        db.addFavoriteGroup(std::move(g));  // the ninth group of a kind is freed
    }
}

int readDocument(ChannelDatabase& db, IXML_Document* doc) {
    IXML_Node* root = ixmlNode_getFirstChild(reinterpret_cast<IXML_Node*>(doc));
    if (nameOf(root) != "Servicelist")
        return 0;
    for (IXML_Node* e = root->firstChild; e; e = e->nextSibling) {
        const auto name = nameOf(e);
        if (name == "Satellitelist")
            readSatellites(db, e);
        else if (name == "Service")
            readService(db, e);
        else if (name == "Favoritelist")
            readFavorites(db, e);
    }
    return 0;
}

// The parser takes its own copy of the text, ended by a single NUL, and two of its scans can step
// past that NUL on malformed input and read on through whatever memory follows:
// - an unclosed CDATA section whose first byte that is not an XML character (a control byte, or
//   any byte of 0x80 and above, which it sees as negative) is one of the last two bytes: it then
//   moves on three bytes as if over "]]>";
// - a character reference "&#" or "&#x" with nothing but digits after it up to the end: its digit
//   scan takes the terminating NUL for a digit and goes on.
// Padding after the NUL cannot help, as only the text up to the first NUL is copied. Two line feeds
// after the text stop both: the CDATA jump then lands on the NUL at the latest, and a line feed
// ends any digit run. White space after the root element is allowed and changes no outcome; the
// documents it does change were refused before and stay refused.
constexpr std::string_view kParserGuard = "\n\n";

// Parses text up to its first NUL, as the parser reads a file.
int parseGuarded(std::string_view text, IXML_Document** doc) {
    std::string guarded(text.substr(0, text.find('\0')));
    guarded.append(kParserGuard);
    return ixmlParseBufferEx(guarded.c_str(), doc);
}

// Reads a whole channel list file. The failures are named as the parser's own file reader names
// them: a file that cannot be opened is NO_SUCH_FILE; a folder is INSUFFICIENT_MEMORY (its size
// reads as endless), and so is a file larger than kMaxFileSize; an empty file, or something
// without a size (a device, a pipe), is SYNTAX_ERR.
int loadFile(const std::filesystem::path& path, std::string& text) {
    common::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.valid())
        return IXML_NO_SUCH_FILE;
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0)
        return IXML_NO_SUCH_FILE;
    if (S_ISDIR(st.st_mode))
        return IXML_INSUFFICIENT_MEMORY;
    if (!S_ISREG(st.st_mode) || st.st_size <= 0)
        return IXML_SYNTAX_ERR;
    if (static_cast<std::uintmax_t>(st.st_size) > ChannelListFile::kMaxFileSize)
        return IXML_INSUFFICIENT_MEMORY;
    text.resize(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    while (have < text.size()) {
        const ssize_t n = ::read(file.fd(), text.data() + have, text.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // shrank while being read: take what is there
        have += static_cast<std::size_t>(n);
    }
    text.resize(have);
    return have == 0 ? IXML_SYNTAX_ERR : ChannelListFile::kSuccess;
}

int finishRead(ChannelDatabase& db, int rc, IXML_Document* raw, shell::Prompter& prompter) {
    IxmlDocumentPtr doc(raw);
    if (rc != ChannelListFile::kSuccess && rc != ChannelListFile::kFileDone) {
        prompter.showMessage(ChannelListFile::ixmlErrorName(rc), shell::PromptIcon::Error);
        return rc;
    }
    if (doc)
        readDocument(db, doc.get());
    return rc;
}

// ---- writing ----

class EntryBuilder {
  public:
    explicit EntryBuilder(IXML_Document* doc) : doc_(doc) {}

    IXML_Node* element(IXML_Node* parent, const char* name) {
        IXML_Node* e = reinterpret_cast<IXML_Node*>(ixmlDocument_createElement(doc_, name));
        if (parent && e)
            ixmlNode_appendChild(parent, e);
        return e;
    }
    void text(IXML_Node* parent, const char* name, const std::string& value) {
        IXML_Node* e = element(parent, name);
        if (e && !value.empty())
            ixmlNode_appendChild(e, ixmlDocument_createTextNode(doc_, readable(value).c_str()));
    }
    // Text the parser (and the receiver) would refuse makes the whole file unreadable: control
    // characters other than tab and line breaks are written as blanks, and bytes that are not
    // UTF-8 of an XML character as '?'.
    static std::string readable(const std::string& text) {
        std::string out;
        out.reserve(text.size());
        std::size_t i = 0;
        while (i < text.size()) {
            const auto b = static_cast<unsigned char>(text[i]);
            if (b < 0x80) {
                const bool ok = b >= 0x20 || b == '\t' || b == '\n' || b == '\r';
                out += ok ? static_cast<char>(b) : ' ';
                ++i;
                continue;
            }
            const std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
            std::uint32_t cp = len == 4 ? b & 0x07u : len == 3 ? b & 0x0Fu : b & 0x1Fu;
            bool ok = len != 0 && b < 0xF5 && i + len <= text.size();
            for (std::size_t k = 1; ok && k < len; ++k) {
                const auto c = static_cast<unsigned char>(text[i + k]);
                ok = (c & 0xC0) == 0x80;
                cp = (cp << 6) | (c & 0x3Fu);
            }
            const std::uint32_t least = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
            ok = ok && cp >= least && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) &&
                 cp != 0xFFFE && cp != 0xFFFF;
            if (ok) {
                out.append(text, i, len);
                i += len;
            } else {
                out += '?';
                ++i;
            }
        }
        return out;
    }
    void number(IXML_Node* parent, const char* name, std::int32_t value) {
        text(parent, name, std::to_string(value));
    }
    void flag(IXML_Node* parent, const char* name, int value) {
        text(parent, name, value == 1 ? "true" : "false");
    }

  private:
    IXML_Document* doc_;
};

// Writes a printed entry line by line: lines that begin with the entry's own opening or closing
// tag are indented by two spaces, all others by four; text after the last line feed is dropped.
// A line feed inside a text value (the printer escapes '>' in text, so only markup ends a line
// with it) continues the value: nothing is inserted there, or the value would grow at every save.
void appendIndented(std::string& out, const char* printed, std::string_view tag) {
    const std::string open = "<" + std::string(tag) + ">";
    const std::string close = "</" + std::string(tag) + ">";
    std::string_view rest(printed);
    bool lineStart = true;
    for (;;) {
        const auto lf = rest.find('\n');
        if (lf == std::string_view::npos)
            break;
        const auto line = rest.substr(0, lf + 1);
        if (lineStart) {
            const bool own = line.starts_with(open) || line.starts_with(close);
            out.append(own ? "  " : "    ");
        }
        out.append(line);
        const auto body = line.substr(0, line.size() - 1);
        lineStart = !body.empty() &&
                    (body.back() == '>' ||
                     (body.back() == '\r' && body.size() > 1 && body[body.size() - 2] == '>'));
        rest.remove_prefix(lf + 1);
    }
}

bool appendService(std::string& out, IXML_Document* doc, const Service& s, const char* type) {
    EntryBuilder b(doc);
    IxmlNodePtr entry(b.element(nullptr, "Service"));
    IXML_Node* e = entry.get();
    b.number(e, "ChannelNo", s.channelNumber);
    b.text(e, "Name", s.name);
    b.number(e, "Sid", s.sid);
    b.number(e, "Tsid", s.tsid);
    b.number(e, "Onid", s.onid);
    IXML_Node* carrier = b.element(e, "Carrier");
    ixmlElement_setAttribute(reinterpret_cast<IXML_Element*>(carrier), "Type", "DVBC");
    b.number(carrier, "Frequency", s.carrierFrequency);
    b.number(carrier, "SymbolRate", s.carrierSymbolRate);
    b.number(carrier, "QAM", s.carrierQam);
    b.number(e, "Vpid", s.vpid);
    b.number(e, "Apid", s.apid);
    b.number(e, "PCRpid", s.pcrPid);
    b.flag(e, "Scrambled", s.scrambled);
    b.flag(e, "Skipped", s.skipped);
    b.flag(e, "Locked", s.locked);
    b.text(e, "ServiceType", type);
    IxmlStringPtr printed(ixmlPrintNode(e));
    if (!printed)
        return false;
    appendIndented(out, printed.get(), "Service");
    return true;
}

void appendGroups(EntryBuilder& b, IXML_Node* list, const std::vector<FavoriteGroup*>& groups,
                  const char* type) {
    for (const FavoriteGroup* g : groups) {
        if (!g)
            continue;
        IXML_Node* e = b.element(list, "FavoriteGroup");
        b.text(e, "Name", g->name);
        b.text(e, "ServiceType", type);
        for (const Service* m : g->members)
            if (m)
                b.number(e, "ChannelNo", m->channelNumber);
    }
}

}  // namespace

int ChannelListFile::read(ChannelDatabase& db, const std::filesystem::path& path,
                          shell::Prompter& prompter) {
    db.clear();
    std::string text;
    int rc = loadFile(path, text);
    IXML_Document* doc = nullptr;
    if (rc == kSuccess)
        rc = parseGuarded(text, &doc);
    return finishRead(db, rc, doc, prompter);
}

int ChannelListFile::readText(ChannelDatabase& db, std::string_view xml,
                              shell::Prompter& prompter) {
    db.clear();
    IXML_Document* doc = nullptr;
    // The parser refuses an empty buffer; it gets the chance to say so in its own words.
    const int rc =
        xml.empty() || xml.front() == '\0' ? ixmlParseBufferEx("", &doc) : parseGuarded(xml, &doc);
    return finishRead(db, rc, doc, prompter);
}

std::string ChannelListFile::toText(const ChannelDatabase& db,
                                    const std::vector<FavoriteGroup*>& tvGroups,
                                    const std::vector<FavoriteGroup*>& radioGroups) {
    std::string out;
    out.reserve(static_cast<std::size_t>(db.countServices(kTv) + db.countServices(kRadio)) * 420 +
                4096);
    out.append("<?xml version=\"1.0\"?>\r\n<Servicelist>\r\n");
    IxmlDocumentPtr doc(ixmlDocument_createDocument());
    if (!doc)
        return {};
    for (int slot = 0; slot < kMaxTvServices; ++slot)
        if (const Service* s = db.service(kTv, slot); s && !appendService(out, doc.get(), *s, "TV"))
            return {};
    for (int slot = 0; slot < kMaxRadioServices; ++slot)
        if (const Service* s = db.service(kRadio, slot);
            s && !appendService(out, doc.get(), *s, "Radio"))
            return {};
    EntryBuilder b(doc.get());
    IxmlNodePtr list(b.element(nullptr, "Favoritelist"));
    appendGroups(b, list.get(), tvGroups, "TV");
    appendGroups(b, list.get(), radioGroups, "Radio");
    IxmlStringPtr printed(ixmlPrintNode(list.get()));
    if (!printed)
        return {};
    appendIndented(out, printed.get(), "Favorite");
    out.append("</Servicelist>\r\n");
    return out;
}

bool ChannelListFile::write(const ChannelDatabase& db, const std::vector<FavoriteGroup*>& tvGroups,
                            const std::vector<FavoriteGroup*>& radioGroups,
                            const std::filesystem::path& path, std::string* error) {
    const std::string text = toText(db, tvGroups, radioGroups);
    link::ReplacingFile file;
    if (text.empty()) {
        // The document could not be built: no file at all rather than an empty one.
        if (error)
            *error = "the channel list could not be built";
        return false;
    }
    if (file.open(path) && file.write(text.data(), text.size()) && file.commit())
        return true;
    if (error)
        *error = file.errorText();
    return false;
}

const char* ChannelListFile::ixmlErrorName(int code) {
    switch (code) {
        case 0:
            return "SUCCESS";
        case 1:
            return "INDEX_SIZE_ERR";
        case 2:
            return "DOMSTRING_SIZE_ERR";
        case 3:
            return "HIERARCHY_REQUEST_ERR";
        case 4:
            return "WRONG_DOCUMENT_ERR";
        case 5:
            return "INVALID_CHARACTER_ERR";
        case 6:
            return "NO_DATA_ALLOWED_ERR";
        case 7:
            return "NO_MODIFICATION_ALLOWED_ERR";
        case 8:
            return "NOT_FOUND_ERR";
        case 9:
            return "NOT_SUPPORTED_ERR";
        case 10:
            return "INUSE_ATTRIBUTE_ERR";
        case 11:
            return "INVALID_STATE_ERR";
        case 12:
            return "SYNTAX_ERR";
        case 13:
            return "INVALID_MODIFICATION_ERR";
        case 14:
            return "NAMESPACE_ERR";
        case 15:
            return "INVALID_ACCESS_ERR";
        case 101:
            return "NO_SUCH_FILE";
        case 102:
            return "INSUFFICIENT_MEMORY";
        case 104:
            return "FILE_DONE";
        case 105:
            return "INVALID_PARAMETER";
        case 106:
            return "FAILED";
        case 107:
            return "INVALID_ITEM_NUMBER";
        default:
            return "** UNKNOWN EROR CODE !! **";
    }
}

}  // namespace velkport::channels
