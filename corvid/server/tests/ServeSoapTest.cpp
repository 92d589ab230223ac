// The running server answers real SOAP requests: Browse with its DIDL-Lite, every other
// ContentDirectory and ConnectionManager action with its output arguments; it follows changes
// of the shared folders and explains a start it cannot make.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <upnp/ixml.h>

#include <thread>

#include "common/Socket.h"
#include "corvid/server/tests/ServeProcess.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server::testing {
namespace {

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

// Four shares, one per media type, each holding exactly one item (and files that are not
// items), so that the numbering does not depend on the order the file system lists them.
class ServeSoapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto m = dir_ / "Music";
        const auto v = dir_ / "Films";
        const auto j = dir_ / "Photos";
        const auto r = dir_ / "Recordings";
        for (const auto& p : {m, v, j, r})
            std::filesystem::create_directories(p);
        fixtures::writeFile(m / "Song.mp3", "ID3 song bytes");
        fixtures::writeFile(m / "b.wma", "not music here");
        fixtures::writeFile(m / "c", "no extension");
        fixtures::writeFile(v / "x.tts", std::string(188 * 3, 'G'));
        fixtures::writeFile(j / "pic.JPG", "\xFF\xD8\xFF jpeg");
        fixtures::writeFile(r / "News & Weather <1>.ts", std::string(188, 'G'));
        server_ = std::make_unique<ServeProcess>(
            std::vector<std::string>{"--address", "127.0.0.1", "--share", "music:" + m.string(),
                                     "--share", "video:" + v.string(), "--share",
                                     "jpeg:" + j.string(), "--share", "record:" + r.string()});
        ASSERT_TRUE(server_->waitReady()) << server_->output();
        base_ = server_->url("/content");
    }

    HttpResponse call(const std::string& service, const std::string& action,
                      const std::string& args = "") {
        return soapAction(*server_, service, action, args);
    }

    fixtures::TempDir dir_;
    std::unique_ptr<ServeProcess> server_;
    std::string base_;
};

TEST_F(ServeSoapTest, DescriptionNamesTheDeviceAfterItsAddressInTheFixedElementOrder) {
    EXPECT_EQ(server_->descriptionUrl().rfind("http://127.0.0.1:", 0), 0u);
    const HttpResponse r = curl({server_->descriptionUrl()});
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(elementText(r.body, "friendlyName"), "Corvid(127.0.0.1)");
    EXPECT_EQ(elementText(r.body, "UDN").rfind("uuid:", 0), 0u);
    std::size_t last = 0;
    for (const char* e :
         {"<deviceType>urn:schemas-upnp-org:device:MediaServer:1<", "<friendlyName>",
          "<manufacturer>", "<manufacturerURL>", "<modelDescription>QXPXXX<", "<modelName>",
          "<modelNumber>", "<modelURL>", "<serialNumber>000000000001<", "<UDN>", "<UPC>",
          "<iconList>", "<url>/avserver.gif<", "<serviceList>"}) {
        const auto at = r.body.find(e);
        EXPECT_GT(at, last) << e;
        last = at == std::string::npos ? last : at;
    }
    EXPECT_EQ(curl({server_->url("/avserver.gif")}).body.substr(0, 6), "GIF89a");
    for (const char* scpd : {"/ContentDirectory.xml", "/ConnectionManager.xml"})
        EXPECT_EQ(curl({server_->url(scpd)}).status, 200) << scpd;
}

TEST_F(ServeSoapTest, BrowseOfTheRootListsEveryShareAndTheCategoriesListOneTypeEach) {
    Browse root = browse(*server_, "0");
    EXPECT_EQ(root.count("NumberReturned"), "4");
    EXPECT_EQ(root.count("TotalMatches"), "4");
    EXPECT_EQ(root.count("UpdateID"), "10");
    EXPECT_NE(root.didl.find("<container id=\"0000000000000001\" parentId=\"0\" "
                             "restricted=\"false\">\n<dc:title>Music</dc:title>\n"
                             "<upnp:class>object.container.storageFolder</upnp:class>"),
              std::string::npos)
        << root.didl;
    EXPECT_EQ(root.didl.find("childCount"), std::string::npos);
    const std::pair<const char*, const char*> categories[] = {
        {"1", "Music"}, {"2", "Photos"}, {"3", "Films"}, {"4", "Recordings"}};
    for (const auto& [category, title] : categories) {
        const Browse b = browse(*server_, category);
        EXPECT_EQ(b.count("NumberReturned"), "1") << category;
        EXPECT_NE(b.didl.find(std::string("<dc:title>") + title + "<"), std::string::npos)
            << category;
    }
}

TEST_F(ServeSoapTest, ItemsCarryTheirMediaWordUrlClassAndProtocolInfo) {
    const std::string music = browse(*server_, "0000000000000001").didl;
    EXPECT_NE(music.find("<item id=\"0000000000000002\" parentId=\"0000000000000001\" "
                         "restricted=\"false\">\n<dc:title>Song</dc:title>\n"
                         "<upnp:class>object.item.audioItem.musicTrack</upnp:class>\n"
                         "<res protocolInfo=\"http-get:*:audio/mpeg:*\" size=\"14\">" +
                         base_ +
                         "/audio/0000000000000002/Song.mp3</res>\n</item>\n"
                         "</DIDL-Lite>\n"),
              std::string::npos)
        << music;
    EXPECT_EQ(music.find("<dc:title>b</dc:title>"), std::string::npos);
    const struct {
        const char* folder;
        std::string text;
    } expected[] = {
        {"0000000000000003", base_ + "/video/0000000000000004/x.ts</res>"},
        {"0000000000000003", "protocolInfo=\"http-get:*:video/avi:*\" size=\"564\""},
        {"0000000000000005",
         "image/jpeg:*\" size=\"8\">" + base_ + "/image/0000000000000006/pic.JPG"},
        {"0000000000000005", "<upnp:class>object.item.imageItem<"},
        {"0000000000000007", "<dc:title>News &amp; Weather &lt;1&gt;</dc:title>"},
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

TEST_F(ServeSoapTest, BrowseMetadataAnswersAnItemItselfAndAFolderWithItsTrueCounts) {
    const struct {
        const char* id;
        const char* count;
        const char* has;
    } cases[] = {
        {"0000000000000002", "1", "<item id=\"0000000000000002\""},
        {"0000000000000001", "1", "<item id=\"0000000000000002\""},
        {"0", "4", "<container id=\"0000000000000007\""},
        {"0000000000000099", "0", "</DIDL-Lite>"},
    };
    for (const auto& c : cases) {
        const Browse b = browse(*server_, c.id, "BrowseMetadata");
        EXPECT_EQ(b.count("NumberReturned"), c.count) << c.id;
        EXPECT_EQ(b.count("TotalMatches"), c.count) << c.id;
        EXPECT_EQ(b.count("UpdateID"), "10") << c.id;
        EXPECT_NE(b.didl.find(c.has), std::string::npos) << c.id << b.didl;
    }
    // The item's own element is the one its folder lists for it.
    EXPECT_EQ(browse(*server_, "0000000000000002", "BrowseMetadata").didl,
              browse(*server_, "0000000000000001").didl);
    // Another flag gets no answer from the device: the stack reports a failure.
    EXPECT_NE(call("ContentDirectory", "Browse", browseArgs("0", "BrowseEverything")).status, 200);
}

TEST_F(ServeSoapTest, OtherActionsAnswerFromTheirStateVariables) {
    const struct {
        const char* service;
        const char* action;
        std::vector<std::pair<std::string, std::string>> outputs;  // in answer order
    } cases[] = {
        {"ContentDirectory", "GetSystemUpdateID", {{"Id", "113"}}},
        {"ContentDirectory", "GetSearchCapabilities", {{"SearchCaps", ""}}},
        {"ContentDirectory", "GetSortCapabilities", {{"SortCaps", ""}}},
        {"ContentDirectory", "Search", {{"Result", "<absent>"}}},
        {"ContentDirectory", "CreateObject", {{"ObjectID", ""}, {"Result", ""}}},
        {"ContentDirectory",
         "GetTransferProgress",
         {{"TransferStatus", "COMPLETED"}, {"TransferLength", "0"}, {"TransferTotal", "0"}}},
        {"ContentDirectory", "ImportResource", {{"TransferID", "0"}}},
        {"ContentDirectory", "ExportResource", {{"TransferID", "0"}}},
        {"ContentDirectory", "CreateReference", {{"NewID", ""}}},
        {"ContentDirectory", "DestroyObject", {}},
        {"ContentDirectory", "UpdateObject", {}},
        {"ContentDirectory", "StopTransferResource", {}},
        {"ContentDirectory", "DeleteResource", {}},
        {"ConnectionManager", "GetProtocolInfo", {{"Source", kSourceListA}, {"Sink", ""}}},
        {"ConnectionManager", "GetCurrentConnectionIDs", {{"ConnectionIDs", "0"}}},
        {"ConnectionManager",
         "GetCurrentConnectionInfo",
         {{"ProtocolInfo", "*:*:*:*"},
          {"RcsID", "0"},
          {"AVTransportID", "0"},
          {"Direction", "Input"},
          {"Status", "Unknown"},
          {"PeerConnectionID", "-1"},
          {"PeerConnectionManager", ""}}},
        {"ConnectionManager",
         "PrepareForConnection",
         {{"ConnectionID", "-1"}, {"AVTransportID", "0"}, {"RcsID", "0"}}},
        {"ConnectionManager", "ConnectionComplete", {}},
    };
    for (const auto& c : cases) {
        const HttpResponse r = call(c.service, c.action);
        EXPECT_EQ(r.status, 200) << c.action;
        EXPECT_NE(r.body.find(std::string(c.action) + "Response"), std::string::npos) << c.action;
        std::size_t last = 0;
        for (const auto& [name, value] : c.outputs) {
            EXPECT_EQ(elementText(r.body, name), value) << c.action << " " << name;
            EXPECT_GE(r.body.find("<" + name), last) << c.action << " " << name;
            last = std::min(r.body.find("<" + name), r.body.size());
        }
    }
    EXPECT_NE(call("ContentDirectory", "NoSuchAction").status, 200);
}

TEST_F(ServeSoapTest, ANewConnectionManagerSubscriberGetsTheSecondSourceList) {
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

// Waits up to 10 s for a Browse of id to list title.
bool appears(const ServeProcess& server, const std::string& id, const std::string& title) {
    for (int i = 0; i < 100; ++i) {
        if (browse(server, id).didl.find("<dc:title>" + title + "<") != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

TEST_F(ServeSoapTest, FilesAddedWhileRunningAppearAndTheUpdateIdsGoUp) {
    fixtures::writeFile(dir_ / "Music" / "New Song.mp3", "added");
    ASSERT_TRUE(appears(*server_, "0000000000000001", "New Song"));
    EXPECT_EQ(browse(*server_, "0000000000000001").count("UpdateID"), "11");
    EXPECT_EQ(browse(*server_, "0000000000000003").count("UpdateID"), "10");  // unchanged
    EXPECT_EQ(elementText(call("ContentDirectory", "GetSystemUpdateID").body, "Id"), "114");
    // What was there keeps its id and URL.
    EXPECT_EQ(curl({base_ + "/audio/0000000000000002/Song.mp3"}).body, "ID3 song bytes");
    // SIGHUP rescans at once, even where no change was signalled.
    fixtures::writeFile(dir_ / "Films" / "Late.avi", "x");
    server_->signal(SIGHUP);
    EXPECT_TRUE(appears(*server_, "0000000000000003", "Late"));
    const int status = server_->stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(ServeStart, RefusesAShareWhoseFolderIsMissing) {
    const RunResult r = run({CORVID_BINARY, "serve", "--address", "127.0.0.1", "--share",
                             "music:~/no-such-folder-for-corvid"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("~/no-such-folder-for-corvid"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("description:"), std::string::npos);
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
    const std::string path = (home / "bin").string() + ":" + std::getenv("PATH");
    setenv("PATH", path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ServeProcess server({"--address", "127.0.0.1"});
    ASSERT_TRUE(server.waitReady()) << server.output();
    const Browse root = browse(server, "0");
    EXPECT_EQ(root.count("NumberReturned"), "1");  // the vlc share is not published
    EXPECT_NE(root.didl.find("<dc:title>stored music</dc:title>"), std::string::npos);
    EXPECT_NE(browse(server, "0000000000000001").didl.find("/audio/0000000000000002/kept.mp3"),
              std::string::npos);
}

}  // namespace
}  // namespace corvid::server::testing
