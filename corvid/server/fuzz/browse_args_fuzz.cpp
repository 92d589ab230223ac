// Feeds arbitrary SOAP bodies to the Browse argument reader (ObjectID, BrowseFlag, StartingIndex,
// RequestedCount) and answers them from a small tree: every answer must be a well-formed
// DIDL-Lite document whatever the arguments.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "corvid/server/BrowseArguments.h"
#include "corvid/server/ShareTree.h"
#include "corvid/server/XmlDocument.h"

namespace {

// A share of two items, scanned once; the files go again at once (Browse reads only the tree).
std::unique_ptr<corvid::server::ShareTree> makeTree() {
    char dir[] = "/tmp/browse-fuzz.XXXXXX";
    if (mkdtemp(dir) == nullptr)
        std::abort();
    const std::filesystem::path base = dir;
    for (const char* name : {"a.mp3", "b & <c>.mp3", "d.txt"})
        std::ofstream(base / name) << "x";
    auto t = std::make_unique<corvid::server::ShareTree>("http://127.0.0.1:1/content");
    t->Init();
    t->AddShare(base.string(), "music");
    t->Start();
    std::filesystem::remove_all(base);
    return t;
}

const corvid::server::ShareTree& tree() {
    static const std::unique_ptr<corvid::server::ShareTree> t = makeTree();
    return *t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const corvid::server::XmlDocument request = corvid::server::XmlDocument::parse(text);
    const auto args = corvid::server::BrowseArguments::From(request.get());
    const corvid::server::BrowseAnswer answer = args.Answer(tree());
    if (!answer.answered)
        return 0;
    if (answer.count < 0 || answer.count > 4 ||
        !corvid::server::XmlDocument::parse(answer.result).valid())
        std::abort();
    return 0;
}
