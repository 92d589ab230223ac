#include "tools/receiver-sim/RecordingsService.h"

#include <sys/statvfs.h>

#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "common/ByteOrder.h"
#include "tools/receiver-sim/ReceiverSim.h"
#include "velkport/recordings/FolderRecord.h"
#include "velkport/recordings/HeaderBlock.h"
#include "velkport/recordings/RecordCommands.h"
#include "velkport/recordings/StreamBlock.h"

namespace receiversim {

namespace fs = std::filesystem;
namespace rec = velkport::recordings;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t kRefused = 0xFFFFFFFFu;
constexpr std::size_t kThumbnailLimit = 64 * 1024;
constexpr const char* kFolderKey = "recordings.folder";

// A receiver file name: one plain name, nothing that could lead elsewhere.
bool PlainName(const std::string& name) {
    return !name.empty() && name.size() < 64 && name.front() != '.' &&
           name.find_first_of("/\\") == std::string::npos;
}

std::string TextOf(const std::uint8_t* b, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(b),
                       strnlen(reinterpret_cast<const char*>(b), n));
}

nlohmann::json ReadJson(const fs::path& p) {
    std::ifstream f(p);
    if (!f)
        return nlohmann::json::object();
    auto j = nlohmann::json::parse(f, nullptr, false);
    return j.is_object() ? j : nlohmann::json::object();
}

template <typename T>
T Get(const nlohmann::json& j, const char* key, T fallback) {
    auto it = j.find(key);
    if (it == j.end())
        return fallback;
    if constexpr (std::is_same_v<T, std::string>)
        return it->is_string() ? it->template get<std::string>() : fallback;
    else
        return it->is_number() ? it->template get<T>() : fallback;
}

bool ReceiveBlock(CommandSession& s, Bytes& b, std::size_t n) {
    b.assign(n, 0);
    return s.receive(b.data(), n);
}

// A name for an uploaded recording made from the PC file name: its stem with anything unusual
// replaced, unique in the folder.
std::string UploadName(const fs::path& dir, const std::string& pcName) {
    std::string stem = pcName;
    auto dot = stem.find('.');
    if (dot != std::string::npos)
        stem.resize(dot);
    for (char& c : stem)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            c = '_';
    if (stem.empty() || stem.front() == '_')
        stem = "REC" + stem;
    stem = stem.substr(0, 40);
    std::string name = stem;
    for (int n = 2; fs::exists(dir / (name + ".ts")); ++n)
        name = stem + "_" + std::to_string(n);
    return name;
}

}  // namespace

RecordingsService::RecordingsService(fs::path root) : root_(std::move(root)) {}

void RecordingsService::Register(ReceiverSim& sim) {
    auto service = std::make_shared<RecordingsService>(sim.root());
    for (std::uint8_t code :
         {rec::REC_LIST_TV, rec::REC_LIST_RADIO, rec::REC_GET_INFO, rec::REC_DOWNLOAD_TV,
          rec::REC_DOWNLOAD_RADIO, rec::REC_UPLOAD_TV, rec::REC_UPLOAD_RADIO, rec::REC_DELETE_TV,
          rec::REC_DELETE_RADIO, rec::REC_RENAME_TV, rec::REC_RENAME_RADIO, rec::REC_LAST_NAME,
          rec::REC_DISK_USAGE, rec::REC_FOLDER_QUERY, rec::REC_FOLDER_LIST, rec::REC_FOLDER_SELECT,
          rec::REC_FOLDER_DELETE, rec::REC_FOLDER_RENAME})
        sim.registerCommand(
            code,
            [service](CommandSession& s, std::uint8_t c, std::uint32_t) { service->handle(s, c); },
            rec::kRecordChannel);
}

fs::path RecordingsService::base(bool radio) const {
    return root_ / "recordings" / (radio ? "radio" : "tv");
}

std::vector<std::string> RecordingsService::folders() const {
    std::vector<std::string> out;
    for (bool radio : {false, true}) {
        std::error_code ec;
        fs::path b = base(radio);
        for (auto it = fs::recursive_directory_iterator(b, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                out.push_back(fs::relative(it->path(), b, ec).generic_string());
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    if (out.size() > 255)
        out.resize(255);
    return out;
}

std::vector<RecordingsService::Recording> RecordingsService::list(const std::string& folder,
                                                                  bool radio) const {
    std::vector<Recording> out;
    std::error_code ec;
    fs::path dir = base(radio) / folder;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.is_regular_file(ec) && e.path().extension() == ".ts" &&
            PlainName(e.path().stem().string()))
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
        Recording r;
        r.file = f;
        auto j = ReadJson(fs::path(f).replace_extension(".json"));
        auto& e = r.entry;
        e.fileName = f.stem().string();
        e.channelNumber = Get<std::uint32_t>(j, "channelNumber", 0);
        e.channelName = Get<std::string>(j, "channelName", "");
        e.title = Get<std::string>(j, "title", e.fileName);
        struct stat st {};
        long mtime = ::stat(f.c_str(), &st) == 0 ? static_cast<long>(st.st_mtime) : 0;
        e.start = Get<std::uint32_t>(j, "start", static_cast<std::uint32_t>(mtime));
        e.duration = Get<std::uint32_t>(j, "duration", 0);
        e.scrambled = Get<std::uint32_t>(j, "scrambled", 0);
        r.dropAfterBlocks = Get<long>(j, "dropAfterBlocks", -1);
        r.blockDelayMs = std::clamp(Get<long>(j, "blockDelayMs", 0), 0L, 10000L);
        if (auto ev = j.find("events"); ev != j.end() && ev->is_array())
            for (const auto& x : *ev)
                if (x.is_object())
                    r.events.push_back(
                        {Get<std::uint32_t>(x, "start", 0), Get<std::uint32_t>(x, "duration", 0),
                         Get<std::string>(x, "name", ""), Get<std::string>(x, "description", "")});
        out.push_back(std::move(r));
    }
    return out;
}

std::optional<RecordingsService::Recording> RecordingsService::find(const std::string& folder,
                                                                    bool radio,
                                                                    const std::string& name) const {
    if (!PlainName(name))
        return std::nullopt;
    for (auto& r : list(folder, radio))
        if (r.entry.fileName == name)
            return r;
    return std::nullopt;
}

std::vector<std::uint8_t> RecordingsService::FirstVideoPackets(const fs::path& ts,
                                                               std::size_t maxBytes) {
    std::ifstream f(ts, std::ios::binary);
    Bytes head(4 << 20);
    f.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(f.gcount()));
    const std::size_t packets = head.size() / rec::kPacketSize;
    auto pidOf = [&](std::size_t i) {
        const std::uint8_t* p = &head[i * rec::kPacketSize];
        return ((p[1] & 0x1F) << 8) | p[2];
    };
    std::size_t first = packets;
    for (std::size_t i = 0; i < packets && first == packets; ++i) {
        const std::uint8_t* p = &head[i * rec::kPacketSize];
        if (p[0] != 0x47 || !(p[1] & 0x40))
            continue;
        std::size_t start = (p[3] & 0x20) ? 5u + p[4] : 4u;
        if (start + 4 <= rec::kPacketSize && p[start] == 0 && p[start + 1] == 0 &&
            p[start + 2] == 1 && (p[start + 3] & 0xF0) == 0xE0)
            first = i;
    }
    Bytes out;
    if (first == packets) {
        // No video start found (for example a scrambled stream): the first packets as they are.
        out.assign(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                    maxBytes / rec::kPacketSize * rec::kPacketSize,
                                                    packets * rec::kPacketSize)));
        return out;
    }
    const int pid = pidOf(first);
    for (std::size_t i = first; i < packets && out.size() + rec::kPacketSize <= maxBytes; ++i)
        if (pidOf(i) == pid)
            out.insert(out.end(), head.begin() + static_cast<std::ptrdiff_t>(i * rec::kPacketSize),
                       head.begin() + static_cast<std::ptrdiff_t>((i + 1) * rec::kPacketSize));
    return out;
}

void RecordingsService::handle(CommandSession& s, std::uint8_t code) {
    switch (code) {
        case rec::REC_LIST_TV:
            return list(s, false);
        case rec::REC_LIST_RADIO:
            return list(s, true);
        case rec::REC_GET_INFO:
            return info(s);
        case rec::REC_DOWNLOAD_TV:
            return download(s, false);
        case rec::REC_DOWNLOAD_RADIO:
            return download(s, true);
        case rec::REC_UPLOAD_TV:
            return upload(s, false);
        case rec::REC_UPLOAD_RADIO:
            return upload(s, true);
        case rec::REC_DELETE_TV:
            return remove(s, false);
        case rec::REC_DELETE_RADIO:
            return remove(s, true);
        case rec::REC_RENAME_TV:
            return rename(s, false);
        case rec::REC_RENAME_RADIO:
            return rename(s, true);
        case rec::REC_LAST_NAME: {
            Bytes b(rec::kNameBlockSize, 0);
            std::lock_guard<std::mutex> g(lock_);
            std::memcpy(b.data(), lastName_.data(), std::min<std::size_t>(lastName_.size(), 255));
            if (s.send(b.data(), b.size()))
                s.sendReply(0, 0, 0);
            return;
        }
        case rec::REC_DISK_USAGE: {
            Bytes b(rec::kNameBlockSize, 0);
            struct statvfs st {};
            rec::DiskUsage u;
            if (::statvfs(root_.c_str(), &st) == 0) {
                const std::uint64_t mib = 1024 * 1024;
                std::uint64_t total = st.f_blocks * st.f_frsize / mib;
                std::uint64_t avail = st.f_bavail * st.f_frsize / mib;
                u.totalMiB =
                    static_cast<std::uint32_t>(std::min<std::uint64_t>(total, 0xFFFFFFFFu));
                u.usedMiB =
                    static_cast<std::uint32_t>(std::min<std::uint64_t>(total - avail, 0xFFFFFFFFu));
            }
            rec::BuildDiskUsage(u, b);
            if (s.send(b.data(), b.size()))
                s.sendReply(0, 0, 0);
            return;
        }
        case rec::REC_FOLDER_QUERY:
            s.sendReply(folders().empty() ? 0 : 1, 0, 0);
            return;
        case rec::REC_FOLDER_LIST:
            return folderList(s);
        case rec::REC_FOLDER_SELECT:
            return folderSelect(s);
        case rec::REC_FOLDER_DELETE:
            return folderDelete(s);
        case rec::REC_FOLDER_RENAME:
            return folderRename(s);
        default:
            s.sendReply(kRefused, 0, 0);
    }
}

void RecordingsService::list(CommandSession& s, bool radio) {
    Bytes m(rec::kMessageSize);
    auto items = list(s.state[kFolderKey], radio);
    for (const auto& r : items) {
        rec::BuildListMessage(r.entry, m);
        if (!s.send(m.data(), m.size()))
            return;
    }
    rec::BuildListEndMessage(m);
    if (s.send(m.data(), m.size()))
        s.sendReply(0, static_cast<std::uint32_t>(items.size()), 0);
}

void RecordingsService::info(CommandSession& s) {
    Bytes name;
    if (!ReceiveBlock(s, name, rec::kNameBlockSize))
        return;
    const std::string key = TextOf(name.data(), name.size());
    auto r = find(s.state[kFolderKey], false, key);
    bool radio = false;
    if (!r) {
        r = find(s.state[kFolderKey], true, key);
        radio = true;
    }
    if (!r) {
        Bytes none(rec::kMessageSize, 0);
        if (s.send(none.data(), none.size()))
            s.sendReply(kRefused, 0, 0);
        return;
    }
    Bytes thumb = radio ? Bytes{} : FirstVideoPackets(r->file, kThumbnailLimit);
    for (const auto& m : rec::BuildRecordInfoMessages(r->events, thumb))
        if (!s.send(m.data(), m.size()))
            return;
    s.sendReply(0, 0, 0);
}

void RecordingsService::download(CommandSession& s, bool radio) {
    Bytes name;
    if (!ReceiveBlock(s, name, rec::kNameBlockSize))
        return;
    auto r = find(s.state[kFolderKey], radio, TextOf(name.data(), name.size()));
    std::ifstream file;
    if (r)
        file.open(r->file, std::ios::binary);
    Bytes accept(rec::kNameBlockSize, 0);
    if (!r || !file) {
        if (s.send(accept.data(), accept.size()))
            s.sendReply(kRefused, 0, 0);
        return;
    }
    std::memcpy(accept.data(), "VELK", 4);
    if (!s.send(accept.data(), accept.size()))
        return;

    // The header stream: the recording's entry, an index block that the PC carries through,
    // and the closing block.
    Bytes m(rec::kMessageSize);
    auto sendBlock = [&](rec::HeaderBlock h, const std::uint8_t* payload) {
        std::fill(m.begin(), m.end(), 0);
        rec::BuildHeaderBlock(h, m.data());
        std::copy_n(payload, h.payloadLength, m.begin() + rec::kHeaderBlockHeaderSize);
        return s.send(m.data(), m.size());
    };
    auto entry = rec::BuildRecordEntry(r->entry);
    const std::uint8_t index[16] = {'S', 'I', 'M', 'I', 'N', 'D', 'E', 'X', 0, 0, 0, 1};
    const std::uint8_t closing[4] = {0, 0, 0, 1};
    if (!sendBlock({1, 1, static_cast<std::uint32_t>(entry.size()), 3, 0}, entry.data()) ||
        !sendBlock({2, 0, sizeof index, 3, 1}, index) ||
        !sendBlock({4, 1, sizeof closing, 3, 2}, closing))
        return;

    // The stream: full blocks only, then a block whose length is 0.
    std::error_code ec;
    const auto size = fs::file_size(r->file, ec);
    const auto blocks = static_cast<std::uint32_t>(size / rec::kStreamPayloadSize);
    // The PC answers after every 16th block it counts; radio blocks that do not start with the
    // sync byte are not counted there, so they are not counted here either.
    Bytes buf(rec::kStreamBlockSize, 0);
    std::uint64_t counted = 0;
    for (std::uint32_t i = 0; i < blocks; ++i) {
        if (r->dropAfterBlocks >= 0 && i >= static_cast<std::uint64_t>(r->dropAfterBlocks)) {
            s.drop();
            return;
        }
        if (r->blockDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(r->blockDelayMs));
        rec::BuildStreamBlockHeader(
            {static_cast<std::uint32_t>(rec::kStreamPayloadSize), blocks, i + 1},
            std::span<std::uint8_t, rec::kStreamHeaderSize>(buf.data(), rec::kStreamHeaderSize));
        file.read(reinterpret_cast<char*>(buf.data() + rec::kStreamHeaderSize),
                  static_cast<std::streamsize>(rec::kStreamPayloadSize));
        if (!s.send(buf.data(), buf.size()))
            return;
        if (radio && buf[rec::kStreamHeaderSize] != 0x47)
            continue;
        if (++counted % rec::kFlowAckInterval == 0) {
            std::array<std::uint8_t, rec::kFlowAckSize> ack{};
            if (!s.receive(ack.data(), ack.size()))
                return;
            if (rec::ParseFlowAck(ack) != 1) {
                s.sendReply(0, 1, 0);
                return;
            }
        }
    }
    std::fill(buf.begin(), buf.begin() + rec::kStreamBlockSize, 0);
    if (s.send(buf.data(), rec::kStreamBlockSize))
        s.sendReply(0, 0, 0);
}

void RecordingsService::upload(CommandSession& s, bool radio) {
    Bytes name;
    if (!ReceiveBlock(s, name, rec::kNameBlockSize))
        return;
    rec::RecordEntry entry;
    Bytes m;
    for (std::size_t n = 0;; ++n) {
        if (n > 4096 || !ReceiveBlock(s, m, rec::kMessageSize)) {
            s.drop();
            return;
        }
        auto block = rec::ReadHeaderBlockMessage(m);
        if (!block) {
            s.drop();
            return;
        }
        if (block->header.type == rec::HeaderBlock::kEntryType)
            if (auto e = rec::ParseRecordEntry(block->payload))
                entry = *e;
        if (block->header.isClosing())
            break;
    }
    const fs::path dir = base(radio) / s.state[kFolderKey];
    std::error_code ec;
    fs::create_directories(dir, ec);
    std::string recName;
    fs::path part;
    {
        std::lock_guard<std::mutex> g(lock_);
        recName = UploadName(dir, TextOf(name.data(), name.size()));
        part = dir / (recName + ".ts.part");
        std::ofstream(part, std::ios::binary);  // holds the name while the stream arrives
    }
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    Bytes payload(rec::kStreamPayloadSize);
    std::array<std::uint8_t, rec::kStreamHeaderSize> header{};
    for (;;) {
        if (!s.receive(header.data(), header.size())) {
            out.close();
            fs::remove(part, ec);
            return;
        }
        auto h = rec::ParseStreamBlockHeader(header);
        std::size_t n = h.length == 0 ? rec::kStreamPayloadSize : h.length;
        if (n > rec::kStreamPayloadSize || !s.receive(payload.data(), n)) {
            out.close();
            fs::remove(part, ec);
            s.drop();
            return;
        }
        if (h.length == 0)
            break;
        out.write(reinterpret_cast<const char*>(payload.data()), static_cast<std::streamsize>(n));
    }
    out.close();
    fs::rename(part, dir / (recName + ".ts"), ec);
    nlohmann::json j = {{"channelNumber", entry.channelNumber},
                        {"channelName", entry.channelName},
                        {"title", entry.title.empty() ? recName : entry.title},
                        {"start", entry.start},
                        {"duration", entry.duration},
                        {"scrambled", entry.scrambled}};
    std::ofstream(dir / (recName + ".json"))
        << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    {
        std::lock_guard<std::mutex> g(lock_);
        lastName_ = recName;
    }
    s.sendReply(0, 0, 0);
}

void RecordingsService::remove(CommandSession& s, bool radio) {
    Bytes name;
    if (!ReceiveBlock(s, name, rec::kNameBlockSize))
        return;
    auto r = find(s.state[kFolderKey], radio, TextOf(name.data(), name.size()));
    std::error_code ec;
    if (!r || !fs::remove(r->file, ec)) {
        s.sendReply(kRefused, 0, 0);
        return;
    }
    fs::remove(fs::path(r->file).replace_extension(".json"), ec);
    s.sendReply(0, 0, 0);
}

void RecordingsService::rename(CommandSession& s, bool radio) {
    Bytes name, title;
    if (!ReceiveBlock(s, name, rec::kNameBlockSize) || !ReceiveBlock(s, title, rec::kNameBlockSize))
        return;
    auto r = find(s.state[kFolderKey], radio, TextOf(name.data(), name.size()));
    if (!r) {
        s.sendReply(kRefused, 0, 0);
        return;
    }
    fs::path jsonPath = fs::path(r->file).replace_extension(".json");
    auto j = ReadJson(jsonPath);
    j["title"] = TextOf(title.data(), rec::kTitleFieldSize);
    std::ofstream(jsonPath) << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
                            << "\n";
    s.sendReply(0, 0, 0);
}

void RecordingsService::folderList(CommandSession& s) {
    auto all = folders();
    Bytes b(rec::kFolderRecordSize);
    rec::BuildFolderRecord({0, 0, "Recordings"}, b);
    if (!s.send(b.data(), b.size()))
        return;
    for (std::size_t i = 0; i < all.size(); ++i) {
        fs::path rel(all[i]);
        std::string parent = rel.parent_path().generic_string();
        auto it = std::find(all.begin(), all.end(), parent);
        std::uint32_t parentId =
            it == all.end() ? 0u : static_cast<std::uint32_t>(it - all.begin() + 1);
        rec::BuildFolderRecord(
            {static_cast<std::int32_t>(i + 1), parentId, rel.filename().string()}, b);
        if (!s.send(b.data(), b.size()))
            return;
    }
    rec::BuildFolderRecord({-1, 0, ""}, b);
    if (s.send(b.data(), b.size()))
        s.sendReply(0, static_cast<std::uint32_t>(all.size() + 1), 0);
}

void RecordingsService::folderSelect(CommandSession& s) {
    Bytes b;
    if (!ReceiveBlock(s, b, rec::kNameBlockSize))
        return;
    auto id = static_cast<std::int32_t>(common::loadBe32(b.data()));
    auto all = folders();
    if (id == 0) {
        s.state[kFolderKey] = "";
    } else if (id > 0 && static_cast<std::size_t>(id) <= all.size()) {
        s.state[kFolderKey] = all[static_cast<std::size_t>(id) - 1];
    } else {
        s.sendReply(kRefused, 0, 0);
        return;
    }
    s.sendReply(0, 0, 0);
}

void RecordingsService::folderDelete(CommandSession& s) {
    Bytes b;
    if (!ReceiveBlock(s, b, rec::kNameBlockSize))
        return;
    auto id = static_cast<std::int32_t>(common::loadBe32(b.data()));
    auto all = folders();
    if (id <= 0 || static_cast<std::size_t>(id) > all.size()) {
        s.sendReply(kRefused, 0, 0);
        return;
    }
    std::error_code ec;
    for (bool radio : {false, true})
        fs::remove_all(base(radio) / all[static_cast<std::size_t>(id) - 1], ec);
    s.state[kFolderKey] = "";
    s.sendReply(0, 0, 0);
}

void RecordingsService::folderRename(CommandSession& s) {
    Bytes b;
    if (!ReceiveBlock(s, b, rec::kFolderRecordSize))
        return;
    auto id = static_cast<std::int32_t>(common::loadBe32(b.data()));
    std::string name = TextOf(b.data() + 4, b.size() - 4);
    auto all = folders();
    if (id <= 0 || static_cast<std::size_t>(id) > all.size() || !PlainName(name)) {
        s.sendReply(kRefused, 0, 0);
        return;
    }
    fs::path rel(all[static_cast<std::size_t>(id) - 1]);
    std::error_code ec;
    for (bool radio : {false, true})
        if (fs::exists(base(radio) / rel, ec))
            fs::rename(base(radio) / rel, base(radio) / rel.parent_path() / name, ec);
    s.sendReply(ec ? kRefused : 0, 0, 0);
}

}  // namespace receiversim
