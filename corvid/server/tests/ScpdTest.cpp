// The service descriptions shipped in the web folder, read by the SCPD loader.

#include <gtest/gtest.h>

#include "corvid/server/UPnPDeviceServer.h"
#include "corvid/server/UpnpService.h"

namespace corvid::server {
namespace {

const std::string kWeb = std::string(VELK_SOURCE_DIR) + "/corvid/server/web";

// Every action is called against the running server elsewhere; here the loader's view of the
// shipped file: variables whose value is empty, Browse's argument order, allowed values.
TEST(Scpd, ContentDirectoryDeclaresEveryVariableTheServiceUses) {
    UpnpService s("urn:schemas-upnp-org:service:ContentDirectory:1", nullptr);
    ASSERT_EQ(s.LoadDescription(kWeb + "/ContentDirectory.xml"), 0);
    for (const char* v :
         {"TransferIDs", "A_ARG_TYPE_TransferStatus", "SystemUpdateID", "SearchCapabilities",
          "SortCapabilities", "A_ARG_TYPE_ObjectID", "A_ARG_TYPE_Result", "A_ARG_TYPE_TransferID",
          "A_ARG_TYPE_TransferLength", "A_ARG_TYPE_TransferTotal"})
        EXPECT_TRUE(s.GetStateVariable(v).has_value()) << v;
    const ServiceAction* browse = s.FindAction("Browse");
    ASSERT_EQ(browse->arguments.size(), 10u);
    EXPECT_EQ(browse->arguments[0].name, "ObjectID");
    EXPECT_EQ(browse->arguments[0].direction, "in");
    EXPECT_EQ(browse->arguments[6].name, "Result");
    EXPECT_EQ(browse->arguments[6].relatedStateVariable, "A_ARG_TYPE_Result");
    const auto& vars = s.stateVariables();
    const auto flag = std::find_if(vars.begin(), vars.end(),
                                   [](auto& v) { return v.name == "A_ARG_TYPE_BrowseFlag"; });
    ASSERT_NE(flag, vars.end());
    EXPECT_EQ(flag->allowedValues,
              (std::vector<std::string>{"BrowseMetadata", "BrowseDirectChildren"}));
    EXPECT_EQ(vars.front().name, "TransferIDs");
    EXPECT_EQ(vars.front().sendEvents, "yes");
}

TEST(Scpd, StateVariablesStartAtTheirDefaultAndLookupsAreExact) {
    UpnpService s("t", nullptr);
    ASSERT_EQ(s.LoadDescriptionText(
                  "<scpd><serviceStateTable><stateVariable sendEvents=\"no\"><name>N</name>"
                  "<dataType>ui4</dataType><defaultValue>7</defaultValue><allowedValueRange>"
                  "<minimum>1</minimum><maximum>9</maximum><step>2</step></allowedValueRange>"
                  "</stateVariable></serviceStateTable></scpd>"),
              0);
    EXPECT_EQ(s.GetStateVariable("N"), "7");
    EXPECT_FALSE(s.GetStateVariable("n").has_value());
    EXPECT_EQ(s.SetStateVariable("N", "8"), 0);
    EXPECT_EQ(s.GetStateVariable("N"), "8");
    EXPECT_EQ(s.SetStateVariable("missing", "1"), -1);
    EXPECT_EQ(s.stateVariables()[0].minimum, "1");
    EXPECT_EQ(s.stateVariables()[0].step, "2");
}

// A missing file is served without state variables: see the server started without it.
TEST(Scpd, ABrokenFileLeavesEmptyTables) {
    UpnpService s("t", nullptr);
    EXPECT_EQ(s.LoadDescriptionText("<scpd><actionList>"), -1);
    EXPECT_EQ(s.LoadDescriptionText(std::string("<a>\0</a>", 8)), -1);
}

TEST(DeviceServer, AddServiceMatchesTheTypeWithoutItsVersion) {
    UPnPDeviceServer d("");
    EXPECT_EQ(d.webDirectory(), "./webdir");
    UpnpService* cds = d.AddService("urn:schemas-upnp-org:service:ContentDirectory:2");
    UpnpService* cms = d.AddService("urn:schemas-upnp-org:service:ConnectionManager:1");
    UpnpService* other = d.AddService("urn:schemas-upnp-org:service:AVTransport:1");
    EXPECT_EQ(cds, d.contentDirectory());
    EXPECT_EQ(cms, d.connectionManager());
    EXPECT_TRUE(other != nullptr && other != cds && other != cms);
}

TEST(DeviceServer, EachIdentityHasANewUdn) {
    UPnPDeviceServer a("web");
    UPnPDeviceServer b("web");
    a.SetIdentity("192.168.1.20");
    b.SetIdentity("192.168.1.20");
    EXPECT_EQ(a.udn().size(), 41u);
    EXPECT_NE(a.udn(), b.udn());
}

}  // namespace
}  // namespace corvid::server
