// The running server, asked with curl: the description, Browse with its DIDL-Lite, every other
// ContentDirectory and ConnectionManager action, the files behind the resource URLs (whole, by
// Range, over 4 GiB, as they are at the moment of the request, never written, never outside a
// share), changes of the shared folders while it runs, and a start it cannot make.

#include <gtest/gtest.h>
#include <signal.h>
#include <upnp/ixml.h>

#include <fstream>
#include <memory>
#include <set>
#include <thread>

#include "common/Socket.h"
#include "corvid/server/tests/ServeProcess.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server::testing {
namespace {

constexpr std::uint64_t k4GiB = 4294967296ULL;
constexpr std::uint64_t kBigSize = 5ULL * 1024 * 1024 * 1024;
const std::string kSourceList =
    "http-get:*:image/gif:*,http-get:*:image/jpeg:*,http-get:*:audio/mpeg:*,"
    "http-get:*:video/mpeg:*,http-get:*:video/x-ms-wmv:*,http-get:*:video/avi:*,"
    "http-get:*:video/wmv:*,";
const std::string kSourceListA = kSourceList + "http-get:*:audio/wma:*";
const std::string kSourceListB = kSourceList + "http-get:*:audio/x-ms-wma:*";

struct Browse {
    HttpResponse response;
    std::string didl;  // Result, unescaped
    std::string count(const char* name) const { return elementText(response.body, name); }
};

Browse browse(const ServeProcess& server, const std::string& id,
              const std::string& flag = "BrowseDirectChildren") {
    Browse b{soapAction(server, "ContentDirectory", "Browse", browseArgs(id, flag)), {}};
    b.didl = xmlUnescape(elementText(b.response.body, "Result"));
    return b;
}

// Six shares, each holding exactly one item (and files that are not items), so that the
// numbering does not depend on the order the file system lists them: Music 1 (Song.mp3 2),
// Films 3 (x.tts 4), Photos 5 (pic.JPG 6), Recordings 7 (News... 8), Large 9 (Big.tts 10, a
// sparse 5 GiB file with markers past 4 GiB), Links 11 (in.mp3 12, a link to Song.mp3; out.mp3
// leads to a file outside every share).
class ServeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* f :
             {"Music", "Films", "Photos", "Recordings", "Large", "Links", "private"})
            std::filesystem::create_directories(dir_ / f);
        song_ = fixtures::randomBytes(100000, 7);
        fixtures::writeFile(dir_ / "Music" / "Song.mp3", song_);
        fixtures::writeFile(dir_ / "Music" / "b.wma", "not music here");
        fixtures::writeFile(dir_ / "Music" / "c", "no extension");
        fixtures::writeFile(dir_ / "Films" / "x.tts", std::string(188 * 3, 'G'));
        fixtures::writeFile(dir_ / "Photos" / "pic.JPG", "\xFF\xD8\xFF jpeg");
        fixtures::writeFile(dir_ / "Recordings" / "News & Weather <1>.ts", "G");
        fixtures::writeFile(dir_ / "private" / "secret.mp3", "secret");
        std::filesystem::create_symlink(dir_ / "Music" / "Song.mp3", dir_ / "Links" / "in.mp3");
        std::filesystem::create_symlink(dir_ / "private" / "secret.mp3",
                                        dir_ / "Links" / "out.mp3");
        const auto big = dir_ / "Large" / "Big.tts";
        fixtures::writeFile(big, "");
        std::filesystem::resize_file(big, kBigSize);  // sparse
        std::fstream(big, std::ios::in | std::ios::out).seekp(k4GiB + 100) << "MARK";
        std::fstream(big, std::ios::in | std::ios::out).seekp(kBigSize - 4) << "TAIL";
        const auto in = [this](const char* folder) { return (dir_ / folder).string(); };
        server_ = std::make_unique<ServeProcess>(std::vector<std::string>{
            "--address", "127.0.0.1", "--share", "music:" + in("Music"), "--share",
            "video:" + in("Films"), "--share", "jpeg:" + in("Photos"), "--share",
            "record:" + in("Recordings"), "--share", "video:" + in("Large"), "--share",
            "music:" + in("Links")});
        ASSERT_TRUE(server_->waitReady()) << server_->output();
        // The resource URLs lead to the content server's own port.
        const std::string didl = browse(*server_, "0000000000000001").didl;
        const std::size_t at = didl.find("http://127.0.0.1:");
        ASSERT_NE(at, std::string::npos) << didl;
        base_ = didl.substr(at, didl.find("/content", at) + 8 - at);
        EXPECT_NE(base_, server_->url("/content"));
    }

    HttpResponse get(const std::string& path, const std::vector<std::string>& options = {}) {
        std::vector<std::string> args = options;
        args.push_back(base_.substr(0, base_.size() - 8) + path);
        return curl(args);
    }

    const std::string songPath_ = "/content/audio/0000000000000002/Song.mp3";
    const std::string bigPath_ = "/content/video/0000000000000010/Big.ts";
    fixtures::TempDir dir_;
    std::string song_;
    std::unique_ptr<ServeProcess> server_;
    std::string base_;
};

TEST_F(ServeTest, DescriptionNamesTheDeviceAfterItsAddressInTheFixedElementOrder) {
    EXPECT_EQ(server_->descriptionUrl().rfind("http://127.0.0.1:", 0), 0u);
    const HttpResponse r = curl({server_->descriptionUrl()});
    EXPECT_EQ(elementText(r.body, "friendlyName"), "Corvid(127.0.0.1)");
    EXPECT_EQ(elementText(r.body, "UDN").rfind("uuid:", 0), 0u);
    std::size_t last = 0;
    for (const char* e :
         {"<deviceType>urn:schemas-upnp-org:device:MediaServer:1<", "<friendlyName>",
          "<manufacturer>", "<manufacturerURL>", "<modelDescription>QXPXXX<", "<modelName>",
          "<modelNumber>", "<modelURL>", "<serialNumber>000000000001<", "<UDN>", "<UPC>",
          "<iconList>", "<url>/avserver.gif<", "<serviceList>"}) {
        EXPECT_GT(r.body.find(e), last) << e;
        last = std::min(r.body.find(e), r.body.size());
    }
    EXPECT_EQ(curl({server_->url("/avserver.gif")}).body.substr(0, 6), "GIF89a");
    for (const char* scpd : {"/ContentDirectory.xml", "/ConnectionManager.xml"})
        EXPECT_EQ(curl({server_->url(scpd)}).status, 200) << scpd;
}

// The root lists every share, each category the shares of one type; BrowseMetadata answers an
// item itself and a folder with its true counts.
TEST_F(ServeTest, BrowseListsSharesCategoriesAndItemsWithTheirTrueCounts) {
    const Browse root = browse(*server_, "0");
    EXPECT_NE(root.didl.find("<container id=\"0000000000000001\" parentId=\"0\" "
                             "restricted=\"false\">\n<dc:title>Music</dc:title>\n"
                             "<upnp:class>object.container.storageFolder</upnp:class>"),
              std::string::npos)
        << root.didl;
    EXPECT_EQ(root.didl.find("childCount"), std::string::npos);
    const char* const children = "BrowseDirectChildren";
    const char* const metadata = "BrowseMetadata";
    const struct {
        const char* id;
        const char* flag;
        const char* count;
        const char* has;
    } cases[] = {
        {"0", children, "6", "<dc:title>Links<"},
        {"1", children, "2", "<dc:title>Music<"},
        {"2", children, "1", "<dc:title>Photos<"},
        {"3", children, "2", "<dc:title>Large<"},
        {"4", children, "1", "<dc:title>Recordings<"},
        {"0000000000000002", metadata, "1", "<item id=\"0000000000000002\""},
        {"0000000000000001", metadata, "1", "<item id=\"0000000000000002\""},
        {"0", metadata, "6", "<container id=\"0000000000000011\""},
        {"0000000000000099", metadata, "0", "</DIDL-Lite>"},
    };
    for (const auto& c : cases) {
        const Browse b = browse(*server_, c.id, c.flag);
        EXPECT_EQ(b.count("NumberReturned"), c.count) << c.id << " " << c.flag;
        EXPECT_EQ(b.count("TotalMatches"), c.count) << c.id << " " << c.flag;
        EXPECT_EQ(b.count("UpdateID"), "10") << c.id << " " << c.flag;
        EXPECT_NE(b.didl.find(c.has), std::string::npos) << c.id << " " << c.flag << b.didl;
    }
    // The item's own element is the one its folder lists for it.
    EXPECT_EQ(browse(*server_, "0000000000000002", metadata).didl,
              browse(*server_, "0000000000000001").didl);
    // Another flag gets no answer from the device: the stack reports a failure.
    EXPECT_NE(
        soapAction(*server_, "ContentDirectory", "Browse", browseArgs("0", "BrowseEverything"))
            .status,
        200);
}

TEST_F(ServeTest, ItemsCarryTheirMediaWordUrlClassAndProtocolInfo) {
    const std::string music = browse(*server_, "0000000000000001").didl;
    EXPECT_NE(music.find("<item id=\"0000000000000002\" parentId=\"0000000000000001\" "
                         "restricted=\"false\">\n<dc:title>Song</dc:title>\n"
                         "<upnp:class>object.item.audioItem.musicTrack</upnp:class>\n"
                         "<res protocolInfo=\"http-get:*:audio/mpeg:*\" size=\"100000\">" +
                         base_ +
                         "/audio/0000000000000002/Song.mp3</res>\n</item>\n"
                         "</DIDL-Lite>\n"),
              std::string::npos)
        << music;
    const struct {
        const char* folder;
        std::string text;
    } expected[] = {
        {"0000000000000003", base_ + "/video/0000000000000004/x.ts</res>"},
        {"0000000000000003", "protocolInfo=\"http-get:*:video/avi:*\" size=\"564\""},
        {"0000000000000005",
         "image/jpeg:*\" size=\"8\">" + base_ + "/image/0000000000000006/pic.JPG"},
        {"0000000000000005", "<upnp:class>object.item.imageItem<"},
        {"0000000000000007", base_ + "/video/0000000000000008/News%20%26%20Weather%20%3C1%3E.ts"},
    };
    for (const auto& e : expected) {
        const std::string didl = browse(*server_, e.folder).didl;
        EXPECT_NE(didl.find(e.text), std::string::npos) << e.text << "\n" << didl;
        IXML_Document* doc = nullptr;
        EXPECT_EQ(ixmlParseBufferEx(didl.c_str(), &doc), IXML_SUCCESS) << didl;
        ixmlDocument_free(doc);
    }
}

// "Name=value;..." of every output argument of an action response, in answer order.
std::string outputs(const std::string& body, const std::string& action) {
    std::string out;
    std::size_t at = body.find('>', body.find(action + "Response"));
    while ((at = body.find('<', at + 1)) != std::string::npos && body[at + 1] != '/') {
        const std::size_t end = body.find_first_of("/>", at);
        const std::string name = body.substr(at + 1, end - at - 1);
        const std::size_t close = body[end] == '>' ? body.find("</" + name + ">", end) : end;
        out += (out.empty() ? "" : ";") + name + "=" + body.substr(end + 1, close - end - 1);
        at = close;
    }
    return out;
}

TEST_F(ServeTest, OtherActionsAnswerFromTheirStateVariables) {
    const std::string cases[][3] = {
        {"ContentDirectory", "GetSystemUpdateID", "Id=113"},
        {"ContentDirectory", "GetSearchCapabilities", "SearchCaps="},
        {"ContentDirectory", "GetSortCapabilities", "SortCaps="},
        {"ContentDirectory", "Search", ""},
        {"ContentDirectory", "CreateObject", "ObjectID=;Result="},
        {"ContentDirectory", "GetTransferProgress",
         "TransferStatus=COMPLETED;TransferLength=0;TransferTotal=0"},
        {"ContentDirectory", "ImportResource", "TransferID=0"},
        {"ContentDirectory", "ExportResource", "TransferID=0"},
        {"ContentDirectory", "CreateReference", "NewID="},
        {"ContentDirectory", "DestroyObject", ""},
        {"ContentDirectory", "UpdateObject", ""},
        {"ContentDirectory", "StopTransferResource", ""},
        {"ContentDirectory", "DeleteResource", ""},
        {"ConnectionManager", "GetProtocolInfo", "Source=" + kSourceListA + ";Sink="},
        {"ConnectionManager", "GetCurrentConnectionIDs", "ConnectionIDs=0"},
        {"ConnectionManager", "GetCurrentConnectionInfo",
         "ProtocolInfo=*:*:*:*;RcsID=0;AVTransportID=0;Direction=Input;Status=Unknown;"
         "PeerConnectionID=-1;PeerConnectionManager="},
        {"ConnectionManager", "PrepareForConnection", "ConnectionID=-1;AVTransportID=0;RcsID=0"},
        {"ConnectionManager", "ConnectionComplete", ""},
    };
    for (const auto& [service, action, expected] : cases) {
        const HttpResponse r = soapAction(*server_, service, action);
        EXPECT_EQ(r.status, 200) << action;
        EXPECT_EQ(outputs(r.body, action), expected) << r.body;
    }
    EXPECT_NE(soapAction(*server_, "ContentDirectory", "NoSuchAction").status, 200);
}

TEST_F(ServeTest, ANewConnectionManagerSubscriberGetsTheSecondSourceList) {
    common::Socket listener = common::Socket::listenTcp("127.0.0.1", 0);
    ASSERT_TRUE(listener.valid());
    const HttpResponse sub =
        curl({"-X", "SUBSCRIBE", "-H",
              "CALLBACK: <http://127.0.0.1:" + std::to_string(listener.localPort()) + "/notify>",
              "-H", "NT: upnp:event", "-H", "TIMEOUT: Second-300",
              server_->url("/upnp/event/ConnectionManager1")});
    ASSERT_EQ(sub.status, 200);
    EXPECT_EQ(sub.headers.count("sid"), 1u);
    common::Socket peer = listener.accept(common::Millis(10000));
    ASSERT_TRUE(peer.valid());
    std::string notify;
    char buf[8192];
    while (notify.find("</e:propertyset>") == std::string::npos) {
        const ssize_t n = peer.receiveSome(buf, sizeof buf, common::Millis(10000));
        if (n <= 0)
            break;
        notify.append(buf, static_cast<std::size_t>(n));
    }
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
    peer.sendAll(ok.data(), ok.size(), common::Millis(1000));
    EXPECT_EQ(notify.rfind("NOTIFY /notify", 0), 0u) << notify;
    EXPECT_EQ(elementText(notify, "SourceProtocolInfo"), kSourceListB);
    EXPECT_EQ(elementText(notify, "SinkProtocolInfo"), "");
    EXPECT_EQ(elementText(notify, "CurrentConnectionIDs"), "0");
}

TEST_F(ServeTest, ServesTheWholeFileAsItIsAtEachRequestWhateverNameFollowsTheId) {
    HttpResponse r = get(songPath_);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.headers["content-type"], "audio/mpeg");
    EXPECT_EQ(r.headers["content-length"], "100000");
    EXPECT_TRUE(r.body == song_);
    EXPECT_TRUE(get("/content/audio/0000000000000002/other%20name.mp3").body == song_);
    const auto song = dir_ / "Music" / "Song.mp3";
    for (std::size_t size : {150000u, 10u}) {
        const std::string bytes = fixtures::randomBytes(size, static_cast<int>(size));
        fixtures::writeFile(song, bytes);
        r = get(songPath_);
        EXPECT_EQ(r.status, 200) << size;
        EXPECT_EQ(r.headers["content-length"], std::to_string(size));
        EXPECT_TRUE(r.body == bytes) << size;
    }
    std::filesystem::remove(song);
    EXPECT_EQ(get(songPath_).status, 404);
}

TEST_F(ServeTest, AnswersRangeRequests) {
    const struct {
        const char* range;
        int status;
        const char* contentRange;
        std::size_t from, length;
    } cases[] = {
        {"0-", 206, "bytes 0-99999/100000", 0, 100000},
        {"100-199", 206, "bytes 100-199/100000", 100, 100},
        {"-500", 206, "bytes 99500-99999/100000", 99500, 500},
        {"99999-200000", 206, "bytes 99999-99999/100000", 99999, 1},
        {"100000-100010", 416, "bytes */100000", 0, 0},
        {"100000-", 416, "bytes */100000", 0, 0},
        {"-0", 416, "bytes */100000", 0, 0},
        {"5-2", 200, "", 0, 100000},  // not understood: the whole file
        {"0-1,5-6", 200, "", 0, 100000},
    };
    for (const auto& c : cases) {
        HttpResponse r = get(songPath_, {"-H", std::string("Range: bytes=") + c.range});
        EXPECT_EQ(r.status, c.status) << c.range;
        EXPECT_EQ(r.headers["content-range"], c.contentRange) << c.range;
        EXPECT_TRUE(c.status == 416 || r.body == song_.substr(c.from, c.length)) << c.range;
    }
}

TEST_F(ServeTest, ServesAFileOver4GiBWhole) {
    HttpResponse r = get(bigPath_, {"-I"});
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.headers["content-length"], std::to_string(kBigSize));
    EXPECT_EQ(r.headers["content-type"], "video/mp2t");
    const std::string from = std::to_string(k4GiB + 100);
    const std::string to = std::to_string(k4GiB + 103);
    r = get(bigPath_, {"-H", "Range: bytes=" + from + "-" + to});
    EXPECT_EQ(r.status, 206);
    EXPECT_EQ(r.body, "MARK");
    EXPECT_EQ(r.headers["content-range"],
              "bytes " + from + "-" + to + "/" + std::to_string(kBigSize));
    EXPECT_EQ(get(bigPath_, {"-H", "Range: bytes=-4"}).body, "TAIL");
}

TEST_F(ServeTest, RefusesUnknownIdsIndexPagesFoldersPathsOutsideContentAndWrites) {
    for (const char* path : {"/content/audio/0000000000000099/Song.mp3", "/content/xyz",
                             "/content/audio/0000000000000002/index.html", "/index.html",
                             "/content/audio/0000000000000001/", "/etc/passwd"})
        EXPECT_EQ(get(path).status, 404) << path;
    for (const char* path : {"/../../../../etc/passwd", "/content/../../../../etc/passwd"})
        EXPECT_NE(get(path, {"--path-as-is"}).status, 200) << path;
    for (const char* method : {"POST", "PUT"}) {
        EXPECT_EQ(get(songPath_, {"-X", method, "--data-binary", "overwritten"}).status, 405);
        // The stack's own web server keeps the content directory too, and writes nothing.
        EXPECT_NE(curl({"-X", method, "--data-binary", "x", server_->url(songPath_)}).status, 200);
    }
    EXPECT_TRUE(fixtures::readFile(dir_ / "Music" / "Song.mp3") == song_);
}

TEST_F(ServeTest, LinksAreServedOnlyWhileTheyLeadInsideAShare) {
    const std::string in = "/content/audio/0000000000000012/in.mp3";
    EXPECT_TRUE(get(in).body == song_);
    // A link swapped in after the scan leads nowhere either.
    std::filesystem::remove(dir_ / "Links" / "in.mp3");
    std::filesystem::create_symlink(dir_ / "private" / "secret.mp3", dir_ / "Links" / "in.mp3");
    EXPECT_EQ(get(in).status, 404);
}

// Waits up to 10 s for a Browse of id to list title.
bool appears(const ServeProcess& server, const std::string& id, const std::string& title) {
    for (int i = 0; i < 100; ++i) {
        if (browse(server, id).didl.find("<dc:title>" + title + "<") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

TEST_F(ServeTest, FilesAddedWhileRunningAppearAndTheUpdateIdsGoUp) {
    // Made elsewhere and moved in, as a finished download arrives: one change, one count.
    fixtures::writeFile(dir_ / "private" / "New Song.mp3", "added");
    std::filesystem::rename(dir_ / "private" / "New Song.mp3", dir_ / "Music" / "New Song.mp3");
    ASSERT_TRUE(appears(*server_, "0000000000000001", "New Song"));
    EXPECT_EQ(browse(*server_, "0000000000000001").count("UpdateID"), "11");
    EXPECT_EQ(browse(*server_, "0000000000000003").count("UpdateID"), "10");  // unchanged
    EXPECT_EQ(elementText(soapAction(*server_, "ContentDirectory", "GetSystemUpdateID").body, "Id"),
              "114");
    // What was there keeps its id and URL.
    EXPECT_TRUE(get(songPath_).body == song_);
    // SIGHUP rescans at once, even where no change was signalled.
    fixtures::writeFile(dir_ / "Films" / "Late.avi", "x");
    server_->signal(SIGHUP);
    EXPECT_TRUE(appears(*server_, "0000000000000003", "Late"));
    EXPECT_EQ(server_->stop(), 0);
}

TEST(ServeStart, RefusesAShareWhoseFolderIsMissing) {
    const RunResult r = run({CORVID_BINARY, "serve", "--address", "127.0.0.1", "--share",
                             "music:~/no-such-folder-for-corvid"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("~/no-such-folder-for-corvid"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("description:"), std::string::npos);
}

// Servers started together (two users logging on, or parallel tests) race for the same first
// port; each has to end up on a port of its own.
TEST(ServeStart, ServersStartedAtTheSameMomentEachFindAPort) {
    fixtures::TempDir home;
    std::vector<std::unique_ptr<ServeProcess>> servers;
    for (int i = 0; i < 12; ++i)
        servers.push_back(std::make_unique<ServeProcess>(std::vector<std::string>{
            "--address", "127.0.0.1", "--share", "music:" + home.path().string()}));
    std::set<std::string> urls;
    for (auto& server : servers) {
        EXPECT_TRUE(server->waitReady()) << server->output();
        urls.insert(server->descriptionUrl());
    }
    EXPECT_EQ(urls.size(), servers.size());
}

// Without the ContentDirectory description the service has no state variables: Browse still
// answers from the tree, GetSystemUpdateID answers with an empty Id.
TEST(ServeStart, WithoutTheContentDirectoryDescriptionBrowseStillAnswers) {
    fixtures::TempDir home;
    std::filesystem::create_directories(home / "web");
    for (const char* f : {"ConnectionManager.xml", "avserver.gif"})
        std::filesystem::copy_file(std::filesystem::path(CORVID_WEB_DIR) / f, home / "web" / f);
    fixtures::writeFile(home / "a.mp3", "x");
    ServeProcess server({"--address", "127.0.0.1", "--share", "music:" + home.path().string()}, {},
                        home.path().string());
    ASSERT_TRUE(server.waitReady()) << server.output();
    EXPECT_EQ(browse(server, "0000000000000001").count("NumberReturned"), "2");  // web and a
    const HttpResponse r = soapAction(server, "ContentDirectory", "GetSystemUpdateID");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(elementText(r.body, "Id"), "");
}

// Without --share the server publishes the system's share list.
TEST(ServeStart, ServesTheStoredShareListWhenNoShareIsGiven) {
    fixtures::TempDir home;
    const auto music = home / "stored music";
    std::filesystem::create_directories(music);
    fixtures::writeFile(music / "kept.mp3", "x");
    // The share list is the system's Samba user shares: a stand-in `net` lists two.
    std::filesystem::create_directories(home / "bin");
    fixtures::writeFile(home / "bin" / "net",
                        "#!/bin/sh\ncat <<'EOF'\n[Tunes]\npath=" + music.string() +
                            "\ncomment=MUSIC\nusershare_acl=Everyone:R,\n\n[Player]\n"
                            "path=/tmp\ncomment=vlc\nusershare_acl=Everyone:R,\nEOF\n");
    std::filesystem::permissions(home / "bin" / "net", std::filesystem::perms::owner_all);
    ServeProcess server({"--address", "127.0.0.1"},
                        {"PATH=" + (home / "bin").string() + ":" + std::getenv("PATH"),
                         "XDG_CONFIG_HOME=" + (home / "config").string()});
    ASSERT_TRUE(server.waitReady()) << server.output();
    const Browse root = browse(server, "0");
    EXPECT_EQ(root.count("NumberReturned"), "1");  // the vlc share is not published
    EXPECT_NE(root.didl.find("<dc:title>stored music</dc:title>"), std::string::npos);
    EXPECT_NE(browse(server, "0000000000000001").didl.find("/audio/0000000000000002/kept.mp3"),
              std::string::npos);
}

}  // namespace
}  // namespace corvid::server::testing
