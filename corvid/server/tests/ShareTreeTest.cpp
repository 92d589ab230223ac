// The content tree: which files become items, how they are numbered, titled and addressed,
// and what Browse lists.

#include <gtest/gtest.h>
#include <upnp/ixml.h>

#include <algorithm>
#include <cstring>

#include "corvid/server/ShareTree.h"
#include "corvid/server/Utf8Text.h"
#include "tests/fixtures/TempDir.h"

namespace corvid::server {
namespace {

const std::string kBase = "http://10.0.0.2:49152/content";

std::shared_ptr<ShareTree> scan(const std::vector<std::pair<std::string, std::string>>& shares,
                                std::shared_ptr<const ShareTree> previous = nullptr) {
    auto tree = std::make_shared<ShareTree>(kBase);
    tree->Clear();
    tree->Init();
    for (const auto& [path, type] : shares)
        EXPECT_EQ(tree->AddShare(path, type), 0);
    tree->Succeed(std::move(previous));
    EXPECT_EQ(tree->Start(), 0);
    EXPECT_EQ(tree->state(), ShareTree::Started);
    return tree;
}

const MediaObject* byTitle(const ShareTree& tree, const std::string& title) {
    const auto& all = tree.objects();
    const auto it =
        std::find_if(all.begin(), all.end(), [&](auto& o) { return o->title == title; });
    return it == all.end() ? nullptr : it->get();
}

TEST(ShareTree, OnlyExtensionsOfTheSharesTypeBecomeItems) {
    fixtures::TempDir dir;
    for (const char* name : {"a.MP3", "b.wma", "c", "d."})
        fixtures::writeFile(dir / name, "1");
    const auto tree = scan({{dir.path().string(), "music"}});
    ASSERT_EQ(tree->objects().size(), 2u);
    EXPECT_EQ(tree->objects()[1]->ResourcePath(), "/audio/0000000000000002/a.MP3");

    EXPECT_TRUE(ShareTree::Accepts(sharing::MediaType::Video, "WMA"));
    EXPECT_TRUE(ShareTree::Accepts(sharing::MediaType::Video, "mp3"));
    EXPECT_FALSE(ShareTree::Accepts(sharing::MediaType::Record, "mpg"));
    EXPECT_TRUE(ShareTree::Accepts(sharing::MediaType::Jpeg, "JPEG"));
    EXPECT_FALSE(ShareTree::Accepts(sharing::MediaType::Jpeg, "png"));
}

TEST(ShareTree, NumbersFollowTheDepthFirstWalkAcrossShares) {
    fixtures::TempDir dir;
    std::filesystem::create_directories(dir / "A" / "sub");
    std::filesystem::create_directories(dir / "B");
    fixtures::writeFile(dir / "A" / "sub" / "deep.mp3", "x");
    fixtures::writeFile(dir / "B" / "clip.mpg", "x");
    const auto tree =
        scan({{(dir / "A").string() + "/", "music"}, {(dir / "B").string(), "video"}});
    const std::pair<const char*, const char*> expected[] = {{"A", "0"},
                                                            {"sub", "0000000000000001"},
                                                            {"deep", "0000000000000002"},
                                                            {"B", "0"},
                                                            {"clip", "0000000000000004"}};
    ASSERT_EQ(tree->objects().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const MediaObject& o = *tree->objects()[i];
        EXPECT_EQ(o.title, expected[i].first);
        EXPECT_EQ(o.parentId, expected[i].second) << o.title;
        EXPECT_EQ(o.number, i + 1) << o.title;
        EXPECT_EQ(tree->FindById(o.id), &o);
    }
    for (const char* id : {"0000000000000000", "0000000000000099", "1", "00000000000000x1"})
        EXPECT_EQ(tree->FindById(id), nullptr) << id;
}

TEST(ShareTree, RefusesUnknownTypesAndFollowsItsStates) {
    ShareTree tree(kBase);
    EXPECT_EQ(tree.AddShare("/tmp", "pictures"), -1);
    EXPECT_EQ(tree.Start(), 3);  // not initialised
    EXPECT_EQ(tree.state(), ShareTree::Empty);
    EXPECT_EQ(tree.Stop(), 3);
    tree.Init();
    EXPECT_EQ(tree.Stop(), 0);
    EXPECT_EQ(tree.state(), ShareTree::Stopped);
}

TEST(ShareTree, BrowseListsChildrenInListOrderIgnoringStartAndCount) {
    fixtures::TempDir dir;
    for (int i = 0; i < 10; ++i)
        fixtures::writeFile(dir / ("t" + std::to_string(i) + ".mp3"), "abc");
    const auto tree = scan({{dir.path().string(), "music"}});
    int count = 0;
    const std::string text = tree->BrowseDirectChildren("0000000000000001", 5, 1, count);
    EXPECT_EQ(count, 10);
    for (std::size_t i = 2; i < tree->objects().size(); ++i)
        EXPECT_LT(text.find("id=\"" + tree->objects()[i - 1]->id),
                  text.find("id=\"" + tree->objects()[i]->id));
    EXPECT_EQ(text.rfind("<DIDL-Lite xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                         "xmlns:upnp=\"urn:schemas-upnp-org:metadata-1-0/upnp/\" "
                         "xmlns=\"urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/\">",
                         0),
              0u)
        << text;
}

TEST(ShareTree, AnyFileNameGivesAValidDocumentAndUrl) {
    fixtures::TempDir dir;
    const std::string names[] = {"bad\xFF\xFEname.mp3",  "ctl\x01\x1F\x7Fx.mp3",
                                 "amp&<>\"'.mp3",        "\xC3\xA9t\xC3\xA9 caf\xC3\xA9.mp3",
                                 "over\xC0\xAFlong.mp3", "surr\xED\xA0\x80.mp3",
                                 "tab\tnl\n.mp3"};
    for (const auto& n : names)
        fixtures::writeFile(dir / n, "x");
    const auto tree = scan({{dir.path().string(), "music"}});
    ASSERT_EQ(tree->objects().size(), 1u + std::size(names));
    int count = 0;
    const std::string text = tree->BrowseDirectChildren("0000000000000001", 0, 0, count);
    EXPECT_EQ(count, static_cast<int>(std::size(names)));
    IXML_Document* doc = nullptr;
    ASSERT_EQ(ixmlParseBufferEx(text.c_str(), &doc), IXML_SUCCESS) << text;
    ixmlDocument_free(doc);
    for (const auto& o : tree->objects()) {
        EXPECT_EQ(Utf8Text(o->title), o->title) << "title is valid UTF-8 already";
        for (unsigned char c : o->title)
            EXPECT_GE(c, 0x20) << o->title;
        if (o->IsContainer())
            continue;
        const std::string& path = o->ResourcePath();
        for (unsigned char c : path)
            EXPECT_TRUE(std::isalnum(c) || std::strchr("/%-._~", c) != nullptr) << path;
    }
    // Names that are UTF-8 keep their characters in the title; the URL carries them encoded.
    const MediaObject* utf8 = byTitle(*tree, "\xC3\xA9t\xC3\xA9 caf\xC3\xA9");
    ASSERT_NE(utf8, nullptr);
    EXPECT_NE(utf8->ResourcePath().find("/%C3%A9t%C3%A9%20caf%C3%A9.mp3"), std::string::npos);
    EXPECT_NE(text.find("amp&amp;&lt;&gt;"), std::string::npos);
}

TEST(ShareTree, FollowsLinksOnlyToTargetsInsideTheShares) {
    fixtures::TempDir dir;
    const auto a = dir / "a";
    const auto b = dir / "b";
    const auto outside = dir / "outside";
    for (const auto& p : {a / "sub", b, outside})
        std::filesystem::create_directories(p);
    fixtures::writeFile(a / "sub" / "real.mp3", "x");
    fixtures::writeFile(b / "other.mp3", "x");
    fixtures::writeFile(outside / "secret.mp3", "x");
    const std::pair<const char*, std::filesystem::path> links[] = {
        {"toReal.mp3", a / "sub" / "real.mp3"},
        {"toSecret.mp3", outside / "secret.mp3"},
        {"toB", b},
        {"toOutside", outside},
        {"loop", a},
        {"dangling.mp3", dir / "gone.mp3"}};
    for (const auto& [name, target] : links)
        std::filesystem::create_symlink(target, a / name);
    const auto tree = scan({{a.string(), "music"}, {b.string(), "music"}});
    for (const char* listed : {"toReal", "toB", "real", "other"})
        EXPECT_NE(byTitle(*tree, listed), nullptr) << listed;
    for (const char* hidden : {"toSecret", "toOutside", "secret", "loop", "dangling"})
        EXPECT_EQ(byTitle(*tree, hidden), nullptr) << hidden;
    EXPECT_TRUE(tree->InsideShares(std::filesystem::canonical(b / "other.mp3")));
    EXPECT_FALSE(tree->InsideShares(std::filesystem::canonical(outside / "secret.mp3")));
    EXPECT_FALSE(tree->InsideShares(dir.path().string() + "/a2"));  // a prefix is not inside
}

TEST(ShareTree, ARescanKeepsNumbersAndCountsUpTheChangedFolders) {
    fixtures::TempDir dir;
    std::filesystem::create_directories(dir / "one");
    std::filesystem::create_directories(dir / "two");
    fixtures::writeFile(dir / "one" / "a.mp3", "x");
    fixtures::writeFile(dir / "two" / "b.mp3", "x");
    const auto first = scan({{dir.path().string(), "music"}});
    fixtures::writeFile(dir / "one" / "download.part", "x");  // no item: nothing a client sees
    const auto same = scan({{dir.path().string(), "music"}}, first);
    EXPECT_FALSE(same->changed());
    fixtures::writeFile(dir / "two" / "c.mp3", "x");
    std::filesystem::remove(dir / "one" / "a.mp3");
    const auto next = scan({{dir.path().string(), "music"}}, same);
    EXPECT_TRUE(next->changed());
    EXPECT_EQ(byTitle(*next, "a"), nullptr);
    EXPECT_EQ(byTitle(*next, "b")->id, byTitle(*first, "b")->id);
    EXPECT_EQ(byTitle(*next, "c")->number, first->objects().size() + 1);  // a new number
    EXPECT_EQ(next->FindById(byTitle(*next, "c")->id), byTitle(*next, "c"));
    EXPECT_EQ(next->UpdateIdOf(byTitle(*next, "one")->id), 11u);
    EXPECT_EQ(next->UpdateIdOf(byTitle(*next, "two")->id), 11u);
    EXPECT_EQ(next->UpdateIdOf(next->objects()[0]->id), 10u);  // the share itself: same folders
    EXPECT_EQ(next->UpdateIdOf("0"), 10u);
}

TEST(Utf8Text, KeepsValidTextAndRepairsTheRest) {
    EXPECT_EQ(Utf8Text("plain"), "plain");
    EXPECT_EQ(Utf8Text("\xE2\x82\xAC"), "\xE2\x82\xAC");  // the euro sign stays
    EXPECT_EQ(Utf8Text("\xE9"), "\xC3\xA9");              // a Latin-1 byte becomes its letter
    EXPECT_EQ(Utf8Text("a\x01z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(Utf8Text("\xEF\xBF\xBE"), "\xEF\xBF\xBD");  // U+FFFE is not XML
    EXPECT_EQ(Utf8Text("\xF0\x9F\x8E\xB5"), "\xF0\x9F\x8E\xB5");
    EXPECT_EQ(Utf8Text(std::string("\0", 1)), "\xEF\xBF\xBD");
    EXPECT_EQ(PercentEncode("a b/c%~"), "a%20b%2Fc%25~");
}

}  // namespace
}  // namespace corvid::server
