// The running server answers real SOAP requests on loopback: Browse with its DIDL-Lite, and
// every other ContentDirectory and ConnectionManager action with its output arguments.

#include <gtest/gtest.h>
#include <upnp/ixml.h>

#include <sys/wait.h>

#include <thread>

#include "common/Socket.h"
#include "corvid/server/tests/ServeProcess.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server::testing {
namespace {

const std::string kSourceListA =
    "http-get:*:image/gif:*,http-get:*:image/jpeg:*,http-get:*:audio/mpeg:*,"
    "http-get:*:video/mpeg:*,http-get:*:video/x-ms-wmv:*,http-get:*:video/avi:*,"
    "http-get:*:video/wmv:*,http-get:*:audio/wma:*";
const std::string kSourceListB =
    "http-get:*:image/gif:*,http-get:*:image/jpeg:*,http-get:*:audio/mpeg:*,"
    "http-get:*:video/mpeg:*,http-get:*:video/x-ms-wmv:*,http-get:*:video/avi:*,"
    "http-get:*:video/wmv:*,http-get:*:audio/x-ms-wma:*";

std::string browseArgs(const std::string& id, const std::string& flag = "BrowseDirectChildren",
                       int start = 0, int count = 0) {
    return "<ObjectID>" + id + "</ObjectID><BrowseFlag>" + flag +
           "</BrowseFlag><Filter>*</Filter><StartingIndex>" + std::to_string(start) +
           "</StartingIndex><RequestedCount>" + std::to_string(count) +
           "</RequestedCount><SortCriteria></SortCriteria>";
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
    }

    HttpResponse call(const std::string& service, const std::string& action,
                      const std::string& args = "") {
        return soapAction(server_->host(), server_->port(), service, action, args);
    }

    // Result of a Browse, unescaped.
    std::string browse(const std::string& id, HttpResponse* out = nullptr,
                       const std::string& flag = "BrowseDirectChildren") {
        HttpResponse r = call("ContentDirectory", "Browse", browseArgs(id, flag));
        EXPECT_EQ(r.status, 200) << r.body;
        if (out != nullptr)
            *out = r;
        std::string text = xmlUnescape(elementText(r.body, "Result"));
        std::erase(text, '\r');  // ixml ends its lines with CRLF
        return text;
    }

    std::string base() const {
        return "http://127.0.0.1:" + std::to_string(server_->port()) + "/content";
    }

    fixtures::TempDir dir_;
    std::unique_ptr<ServeProcess> server_;
};

TEST_F(ServeSoapTest, DescriptionNamesTheDeviceAfterItsAddressInTheFixedElementOrder) {
    EXPECT_EQ(server_->descriptionUrl().rfind("http://127.0.0.1:", 0), 0u);
    const HttpResponse r = httpGet(server_->host(), server_->port(), "/description.xml");
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(elementText(r.body, "friendlyName"), "Corvid(127.0.0.1)");
    EXPECT_EQ(elementText(r.body, "deviceType"), "urn:schemas-upnp-org:device:MediaServer:1");
    EXPECT_EQ(elementText(r.body, "UDN").rfind("uuid:", 0), 0u);
    const char* order[] = {
        "<deviceType>",       "<friendlyName>", "<manufacturer>", "<manufacturerURL>",
        "<modelDescription>", "<modelName>",    "<modelNumber>",  "<modelURL>",
        "<serialNumber>",     "<UDN>",          "<UPC>",          "<iconList>",
        "<serviceList>"};
    std::size_t last = 0;
    for (const char* e : order) {
        const auto at = r.body.find(e);
        ASSERT_NE(at, std::string::npos) << e;
        EXPECT_GT(at, last) << e;
        last = at;
    }
    EXPECT_EQ(elementText(r.body, "modelDescription"), "QXPXXX");
    EXPECT_EQ(elementText(r.body, "serialNumber"), "000000000001");
    EXPECT_EQ(elementText(r.body, "url"), "/avserver.gif");
    const HttpResponse icon = httpGet(server_->host(), server_->port(), "/avserver.gif");
    EXPECT_EQ(icon.status, 200);
    EXPECT_EQ(icon.body.substr(0, 6), "GIF89a");
    EXPECT_EQ(httpGet(server_->host(), server_->port(), "/ContentDirectory.xml").status, 200);
    EXPECT_EQ(httpGet(server_->host(), server_->port(), "/ConnectionManager.xml").status, 200);
}

TEST_F(ServeSoapTest, BrowseOfTheRootListsEveryShareAndTheCategoriesListOneTypeEach) {
    HttpResponse r;
    const std::string root = browse("0", &r);
    EXPECT_EQ(elementText(r.body, "NumberReturned"), "4");
    EXPECT_EQ(elementText(r.body, "TotalMatches"), "4");
    EXPECT_EQ(elementText(r.body, "UpdateID"), "10");
    EXPECT_NE(root.find("<container id=\"0000000000000001\" parentId=\"0\" restricted=\"false\">"
                        "\n<dc:title>Music</dc:title>\n"
                        "<upnp:class>object.container.storageFolder</upnp:class>"),
              std::string::npos)
        << root;
    for (const char* title : {"Films", "Photos", "Recordings"})
        EXPECT_NE(root.find(std::string("<dc:title>") + title + "</dc:title>"), std::string::npos);
    EXPECT_EQ(root.find("childCount"), std::string::npos);

    const struct {
        const char* category;
        const char* title;
    } categories[] = {{"1", "Music"}, {"2", "Photos"}, {"3", "Films"}, {"4", "Recordings"}};
    for (const auto& c : categories) {
        const std::string list = browse(c.category, &r);
        EXPECT_EQ(elementText(r.body, "NumberReturned"), "1") << c.category;
        EXPECT_EQ(elementText(r.body, "TotalMatches"), "1") << c.category;
        EXPECT_NE(list.find(std::string("<dc:title>") + c.title + "</dc:title>"), std::string::npos)
            << c.category << list;
    }
}

TEST_F(ServeSoapTest, ItemsCarryTheirMediaWordUrlClassAndProtocolInfo) {
    const std::string music = browse("0000000000000001");
    EXPECT_NE(music.find("<item id=\"0000000000000002\" parentId=\"0000000000000001\" "
                         "restricted=\"false\">\n<dc:title>Song</dc:title>\n"
                         "<upnp:class>object.item.audioItem.musicTrack</upnp:class>\n"
                         "<res protocolInfo=\"http-get:*:audio/mpeg:*\" size=\"14\">" +
                         base() + "/audio/0000000000000002/Song.mp3</res>"),
              std::string::npos)
        << music;
    EXPECT_EQ(music.find("b.wma"), std::string::npos);
    EXPECT_EQ(music.find("<dc:title>b</dc:title>"), std::string::npos);

    const std::string video = browse("0000000000000003");
    EXPECT_NE(video.find(base() + "/video/0000000000000004/x.ts</res>"), std::string::npos)
        << video;
    EXPECT_NE(video.find("protocolInfo=\"http-get:*:video/avi:*\" size=\"564\""),
              std::string::npos);
    EXPECT_NE(video.find("object.item.videoItem"), std::string::npos);

    const std::string photos = browse("0000000000000005");
    EXPECT_NE(photos.find(base() + "/image/0000000000000006/pic.JPG</res>"), std::string::npos);
    EXPECT_NE(photos.find("http-get:*:image/jpeg:*"), std::string::npos);
    EXPECT_NE(photos.find("object.item.imageItem"), std::string::npos);

    // Names are escaped in the title and percent-encoded in the URL.
    HttpResponse r;
    const std::string rec = browse("0000000000000007", &r);
    const std::string escaped = elementText(r.body, "Result");
    EXPECT_NE(escaped.find("&amp;lt;1&amp;gt;"), std::string::npos) << escaped;
    EXPECT_NE(rec.find("<dc:title>News &amp; Weather &lt;1&gt;</dc:title>"), std::string::npos)
        << rec;
    EXPECT_NE(rec.find(base() + "/video/0000000000000008/News%20%26%20Weather%20%3C1%3E.ts"),
              std::string::npos)
        << rec;
    IXML_Document* doc = nullptr;
    EXPECT_EQ(ixmlParseBufferEx(rec.c_str(), &doc), IXML_SUCCESS) << rec;
    ixmlDocument_free(doc);
}

TEST_F(ServeSoapTest, BrowseOfAnUnknownIdIsAnEmptyDocumentAndMetadataCountsAreFixed) {
    HttpResponse r;
    const std::string none = browse("0000000000000099", &r);
    EXPECT_EQ(elementText(r.body, "NumberReturned"), "0");
    EXPECT_EQ(elementText(r.body, "TotalMatches"), "0");
    EXPECT_NE(none.find("DIDL-Lite"), std::string::npos);
    EXPECT_EQ(none.find("<item"), std::string::npos);

    browse("0", &r, "BrowseMetadata");
    EXPECT_EQ(elementText(r.body, "NumberReturned"), "2");
    EXPECT_EQ(elementText(r.body, "TotalMatches"), "2");
    EXPECT_EQ(elementText(r.body, "UpdateID"), "10");

    // Another flag gets no answer from the device: the stack reports a failure.
    const HttpResponse other =
        call("ContentDirectory", "Browse", browseArgs("0", "BrowseEverything"));
    EXPECT_NE(other.status, 200);
    EXPECT_EQ(elementText(other.body, "Result"), "<absent>");
}

TEST_F(ServeSoapTest, OtherContentDirectoryActionsAnswerFromTheirStateVariables) {
    HttpResponse r = call("ContentDirectory", "GetSystemUpdateID");
    EXPECT_EQ(elementText(r.body, "Id"), "113");
    r = call("ContentDirectory", "GetSearchCapabilities");
    EXPECT_EQ(elementText(r.body, "SearchCaps"), "");
    r = call("ContentDirectory", "GetSortCapabilities");
    EXPECT_EQ(elementText(r.body, "SortCaps"), "");
    r = call("ContentDirectory", "Search",
             "<ContainerID>0</ContainerID><SearchCriteria>*</SearchCriteria>");
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.body.find("SearchResponse"), std::string::npos);
    EXPECT_EQ(elementText(r.body, "Result"), "<absent>");
    r = call("ContentDirectory", "CreateObject");
    EXPECT_EQ(elementText(r.body, "ObjectID"), "");
    EXPECT_EQ(elementText(r.body, "Result"), "");
    r = call("ContentDirectory", "GetTransferProgress", "<TransferID>0</TransferID>");
    EXPECT_EQ(elementText(r.body, "TransferStatus"), "COMPLETED");
    EXPECT_EQ(elementText(r.body, "TransferLength"), "0");
    EXPECT_EQ(elementText(r.body, "TransferTotal"), "0");
    for (const char* a : {"ImportResource", "ExportResource"}) {
        r = call("ContentDirectory", a);
        EXPECT_EQ(elementText(r.body, "TransferID"), "0") << a;
    }
    r = call("ContentDirectory", "CreateReference");
    EXPECT_EQ(elementText(r.body, "NewID"), "");
    for (const char* a :
         {"DestroyObject", "UpdateObject", "StopTransferResource", "DeleteResource"}) {
        r = call("ContentDirectory", a);
        EXPECT_EQ(r.status, 200) << a;
        EXPECT_NE(r.body.find(std::string(a) + "Response"), std::string::npos) << a;
    }
    r = call("ContentDirectory", "NoSuchAction");
    EXPECT_NE(r.status, 200);
}

TEST_F(ServeSoapTest, ConnectionManagerAnswersItsFixedListsAndValues) {
    HttpResponse r = call("ConnectionManager", "GetProtocolInfo");
    EXPECT_EQ(elementText(r.body, "Source"), kSourceListA);
    EXPECT_EQ(elementText(r.body, "Sink"), "");
    r = call("ConnectionManager", "GetCurrentConnectionIDs");
    EXPECT_EQ(elementText(r.body, "ConnectionIDs"), "0");
    r = call("ConnectionManager", "GetCurrentConnectionInfo", "<ConnectionID>0</ConnectionID>");
    EXPECT_EQ(elementText(r.body, "ProtocolInfo"), "*:*:*:*");
    EXPECT_EQ(elementText(r.body, "RcsID"), "0");
    EXPECT_EQ(elementText(r.body, "AVTransportID"), "0");
    EXPECT_EQ(elementText(r.body, "Direction"), "Input");
    EXPECT_EQ(elementText(r.body, "Status"), "Unknown");
    EXPECT_EQ(elementText(r.body, "PeerConnectionID"), "-1");
    EXPECT_EQ(elementText(r.body, "PeerConnectionManager"), "");
    const auto order = {"<ProtocolInfo>",        "<RcsID>",  "<AVTransportID>",
                        "<Direction>",           "<Status>", "<PeerConnectionID>",
                        "<PeerConnectionManager"};
    std::size_t last = 0;
    for (const char* e : order) {
        EXPECT_GT(r.body.find(e), last) << e;
        last = r.body.find(e);
    }
    r = call("ConnectionManager", "PrepareForConnection");
    EXPECT_EQ(elementText(r.body, "ConnectionID"), "-1");
    EXPECT_EQ(elementText(r.body, "AVTransportID"), "0");
    EXPECT_EQ(elementText(r.body, "RcsID"), "0");
    r = call("ConnectionManager", "ConnectionComplete", "<ConnectionID>0</ConnectionID>");
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.body.find("ConnectionCompleteResponse"), std::string::npos);
}

TEST_F(ServeSoapTest, ANewConnectionManagerSubscriberGetsTheSecondSourceList) {
    common::Socket listener = common::Socket::listenTcp("127.0.0.1", 0);
    ASSERT_TRUE(listener.valid());
    const std::string req =
        "SUBSCRIBE /upnp/event/ConnectionManager1 HTTP/1.1\r\nHost: 127.0.0.1:" +
        std::to_string(server_->port()) +
        "\r\nCALLBACK: <http://127.0.0.1:" + std::to_string(listener.localPort()) +
        "/notify>\r\nNT: upnp:event\r\nTIMEOUT: Second-300\r\n\r\n";
    const HttpResponse sub = httpExchange(server_->host(), server_->port(), req);
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

TEST_F(ServeSoapTest, StopsCleanlyOnSigterm) {
    const int status = server_->stop();
    ASSERT_NE(status, -1);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace corvid::server::testing

namespace corvid::server::testing {
namespace {

// Without the ContentDirectory description the service has no state variables: Browse still
// answers from the tree, GetSystemUpdateID answers with an empty Id.
TEST(ServeWithoutDescription, BrowseAnswersAndValuesAreEmpty) {
    fixtures::TempDir home;
    std::filesystem::create_directories(home / "web");
    for (const char* f : {"ConnectionManager.xml", "avserver.gif"})
        std::filesystem::copy_file(std::filesystem::path(CORVID_WEB_DIR) / f, home / "web" / f);
    const auto music = home / "music";
    std::filesystem::create_directories(music);
    fixtures::writeFile(music / "a.mp3", "x");
    ServeProcess server({"--address", "127.0.0.1", "--share", "music:" + music.string()}, {},
                        home.path().string());
    ASSERT_TRUE(server.waitReady()) << server.output();
    HttpResponse r = soapAction(server.host(), server.port(), "ContentDirectory", "Browse",
                                browseArgs("0000000000000001"));
    EXPECT_EQ(elementText(r.body, "NumberReturned"), "1");
    r = soapAction(server.host(), server.port(), "ContentDirectory", "GetSystemUpdateID", "");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(elementText(r.body, "Id"), "");
    r = soapAction(server.host(), server.port(), "ConnectionManager", "GetCurrentConnectionIDs",
                   "");
    EXPECT_EQ(elementText(r.body, "ConnectionIDs"), "0");
}

// Without --share the server publishes the share list stored in the user's settings folder.
TEST(ServeStoredShares, ServesTheStoredShareListWhenNoShareIsGiven) {
    fixtures::TempDir home;
    const auto music = home / "stored music";
    std::filesystem::create_directories(music);
    fixtures::writeFile(music / "kept.mp3", "x");
    std::filesystem::create_directories(home / "config" / "corvid");
    fixtures::writeFile(home / "config" / "corvid" / "shares.ini",
                        "[Tunes]\nType=MUSIC\nPath=" + music.string() +
                            "\nReadOnly=1\n\n[Player]\nType=vlc\nPath=/tmp\n");
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ServeProcess server({"--address", "127.0.0.1"});
    ASSERT_TRUE(server.waitReady()) << server.output();
    HttpResponse r =
        soapAction(server.host(), server.port(), "ContentDirectory", "Browse", browseArgs("0"));
    EXPECT_EQ(elementText(r.body, "NumberReturned"), "1");  // the vlc share is not published
    EXPECT_NE(xmlUnescape(elementText(r.body, "Result")).find("<dc:title>stored music</dc:title>"),
              std::string::npos);
    r = soapAction(server.host(), server.port(), "ContentDirectory", "Browse",
                   browseArgs("0000000000000001"));
    EXPECT_NE(r.body.find("/content/audio/0000000000000002/kept.mp3"), std::string::npos);
}

}  // namespace
}  // namespace corvid::server::testing
