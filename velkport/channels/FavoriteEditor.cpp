#include "velkport/channels/FavoriteEditor.h"

#include <algorithm>

#include "common/Text.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::channels {

using shell::Msg;
using shell::PromptIcon;

namespace {

std::size_t utf8Length(const std::string& s) {
    return static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

FavoriteEditor::FavoriteEditor(ChannelDatabase& db, ServiceList& list, shell::Prompter& prompter,
                               EditorNotify notify)
    : db_(db), list_(list), prompter_(prompter), notify_(std::move(notify)) {}

void FavoriteEditor::fill() {
    tvBranch_ = db_.favoriteGroups(kTv);
    radioBranch_ = db_.favoriteGroups(kRadio);
    treeKind_ = -1;
    treeGroup_ = nullptr;
}

void FavoriteEditor::clear() {
    tvBranch_.clear();
    radioBranch_.clear();
    treeKind_ = -1;
    treeGroup_ = nullptr;
}

bool FavoriteEditor::confirmDelete(shell::Prompter& prompter,
                                   const std::vector<std::string>& names) {
    if (names.empty())
        return false;
    const std::string q = names.size() == 1 ? fillText(Msg(113), names.front())
                                            : fillText(Msg(114), static_cast<int>(names.size()));
    return prompter.askYesNo(q);
}

const std::vector<FavoriteGroup*>& FavoriteEditor::branch(int kind) const {
    return kind == kRadio ? radioBranch_ : tvBranch_;
}

bool FavoriteEditor::inTree(const FavoriteGroup* g) const {
    // By address only: a group that has left the tree may already be freed.
    return g && (std::find(tvBranch_.begin(), tvBranch_.end(), g) != tvBranch_.end() ||
                 std::find(radioBranch_.begin(), radioBranch_.end(), g) != radioBranch_.end());
}

void FavoriteEditor::selectBranch(int kind) {
    treeKind_ = kind == kRadio ? kRadio : kTv;
    treeGroup_ = nullptr;
    notify(EditorChange::Members);
}

void FavoriteEditor::selectGroup(FavoriteGroup* group) {
    if (!inTree(group))
        return;
    treeKind_ = group->kind;
    treeGroup_ = group;
    notify(EditorChange::Members);
}

void FavoriteEditor::clearTreeSelection() {
    treeKind_ = -1;
    treeGroup_ = nullptr;
    notify(EditorChange::Members);
}

FavoriteGroup* FavoriteEditor::createFavorite(int kind) {
    if (kind != kTv && kind != kRadio)
        return nullptr;
    auto& b = kind == kRadio ? radioBranch_ : tvBranch_;
    const int id = db_.freeFavoriteId(kind);
    if (b.size() >= kMaxFavoriteGroups || id < 0) {
        prompter_.showMessage(Msg(110), PromptIcon::Error);
        return nullptr;
    }
    auto taken = [&](const std::string& name) {
        return std::any_of(b.begin(), b.end(), [&](const FavoriteGroup* g) {
            return common::EqualsNoCase(g->name, name);
        });
    };
    std::string name = Msg(281);
    for (int i = 1; taken(name); ++i)
        name = fillText(Msg(282), i);
    auto g = std::make_unique<FavoriteGroup>();
    g->id = id;
    g->kind = kind;
    g->name = name;
    FavoriteGroup* raw = g.get();
    if (!db_.addFavoriteGroup(std::move(g)))
        return nullptr;
    b.push_back(raw);
    notify(EditorChange::Favorites);
    return raw;
}

bool FavoriteEditor::addToFavorite(FavoriteGroup* group) {
    if (!inTree(group) || group->kind != list_.visibleKind())
        return false;
    group->closeUp();
    for (const auto& r : list_.rows()) {
        if (!r.selected || group->contains(r.service))
            continue;
        if (!group->append(r.service))
            break;
    }
    notify(EditorChange::Members);
    return true;
}

FavoriteGroup* FavoriteEditor::addToNewFavorite(int kind) {
    if (kind != list_.visibleKind() || !list_.anySelected())
        return nullptr;
    FavoriteGroup* g = createFavorite(kind);
    if (g)
        addToFavorite(g);
    return g;
}

void FavoriteEditor::addToAllFavorites() {
    for (FavoriteGroup* g : branch(list_.visibleKind()))
        addToFavorite(g);
}

void FavoriteEditor::deleteFromAllFavorites() {
    for (const auto& r : list_.rows())
        if (r.selected)
            db_.removeFromFavorites(r.service);
    notify(EditorChange::Members);
}

bool FavoriteEditor::moveMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers,
                                 int dropMember) {
    if (!inTree(group)) {
        prompter_.showMessage("Can not find favorite group", PromptIcon::Error);
        return false;
    }
    group->closeUp();
    const int count = group->memberCount();
    if (dropMember < 0 || dropMember >= count)
        return false;
    std::vector<bool> chosen(static_cast<std::size_t>(count), false);
    for (int m : selectedMembers)
        if (m >= 0 && m < count)
            chosen[static_cast<std::size_t>(m)] = true;
    std::vector<Service*> order;
    for (int i = 0; i <= dropMember; ++i)
        if (!chosen[static_cast<std::size_t>(i)])
            order.push_back(group->members[static_cast<std::size_t>(i)]);
    for (int i = 0; i < count; ++i)
        if (chosen[static_cast<std::size_t>(i)])
            order.push_back(group->members[static_cast<std::size_t>(i)]);
    for (int i = dropMember + 1; i < count; ++i)
        if (!chosen[static_cast<std::size_t>(i)])
            order.push_back(group->members[static_cast<std::size_t>(i)]);
    std::copy(order.begin(), order.end(), group->members.begin());
    notify(EditorChange::Members);
    return true;
}

bool FavoriteEditor::removeMembers(FavoriteGroup* group, const std::vector<int>& selectedMembers) {
    if (!inTree(group))
        return false;
    group->closeUp();
    const int count = group->memberCount();
    std::vector<Service*> chosen;
    std::vector<std::string> names;
    for (int m : selectedMembers)
        if (m >= 0 && m < count) {
            Service* s = group->members[static_cast<std::size_t>(m)];
            if (std::find(chosen.begin(), chosen.end(), s) == chosen.end()) {
                chosen.push_back(s);
                names.push_back(s->name);
            }
        }
    if (!confirmDelete(prompter_, names))
        return false;
    for (const Service* s : chosen)
        group->remove(s);
    notify(EditorChange::Members);
    return true;
}

bool FavoriteEditor::renameFavorite(FavoriteGroup* group, const std::string& newName) {
    if (!inTree(group))
        return false;
    if (newName.empty()) {
        prompter_.showMessage(Msg(117), PromptIcon::Error);
        return false;
    }
    if (newName.find('@') != std::string::npos) {
        prompter_.showMessage(Msg(116), PromptIcon::Error);
        return false;
    }
    if (utf8Length(newName) >= 20) {
        prompter_.showMessage(Msg(118), PromptIcon::Error);
        return false;
    }
    if (!common::EqualsNoCase(newName, group->name))
        for (const FavoriteGroup* other : branch(group->kind))
            if (other != group && common::EqualsNoCase(other->name, newName)) {
                prompter_.showMessage("This favorite name is already exist", PromptIcon::Error);
                return false;
            }
    group->name = newName;
    notify(EditorChange::Favorites);
    return true;
}

bool FavoriteEditor::deleteFavorite(FavoriteGroup* group) {
    if (!inTree(group))
        return false;
    auto& b = group->kind == kRadio ? radioBranch_ : tvBranch_;
    b.erase(std::find(b.begin(), b.end(), group));
    if (treeGroup_ == group)
        treeGroup_ = nullptr;
    group->members.fill(nullptr);
    db_.removeFavoriteGroup(group);
    notify(EditorChange::Favorites);
    return true;
}

}  // namespace velkport::channels
