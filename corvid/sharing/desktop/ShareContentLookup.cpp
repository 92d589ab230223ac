#include "corvid/sharing/desktop/ShareContentLookup.h"

#include <memory>

#include "corvid/server/ContentUrl.h"
#include "corvid/server/ShareTree.h"
#include "corvid/sharing/MediaType.h"
#include "corvid/sharing/SharingSettings.h"

namespace corvid::sharing {

receiver::MediaLocation::ContentLookup ShareContentLookup(const SharingSettings& settings) {
    auto tree = std::make_shared<server::ShareTree>("http://127.0.0.1/content");
    tree->Init();
    for (std::size_t slot = 0; slot < SharingSettings::kMaxShares; ++slot) {
        const auto* s = settings.Share(slot);
        if (s != nullptr && mediaTypeFromName(s->mediaTypeName))
            tree->AddShare(s->path, s->mediaTypeName);
    }
    tree->Start();
    return [tree](std::string_view url) -> std::optional<std::filesystem::path> {
        const auto pathStart = url.find('/', std::string_view("http://").size());
        std::string id;
        if (pathStart == std::string_view::npos ||
            server::ParseContentUrl(url.substr(pathStart), id) != 0 || id.empty())
            return std::nullopt;
        const server::MediaObject* object = tree->FindById(id);
        if (object == nullptr || object->extension.empty())
            return std::nullopt;  // a folder, not an item
        return std::filesystem::path(object->path);
    };
}

}  // namespace corvid::sharing
