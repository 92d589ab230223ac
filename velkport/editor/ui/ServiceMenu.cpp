#include "velkport/editor/ui/ServiceMenu.h"

#include <QAction>
#include <QMenu>

#include "velkport/shell/base/MessageCatalogue.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::editor {

using shell::Msg;
using shell::Q;

namespace {

struct MenuEntry {
    int command;
    bool separatorAfter;
};

constexpr MenuEntry kServiceMenu[] = {
    {channels::kCmdStartNumbering, false},     {channels::kCmdEndNumbering, false},
    {channels::kCmdCancelNumbering, true},     {channels::kCmdMoveTo, false},
    {channels::kCmdRenumbering, true},         {channels::kCmdAddToFavorite, false},
    {channels::kCmdAddToNewTvFavorite, false}, {channels::kCmdAddToNewRadioFavorite, false},
    {channels::kCmdAddToAllFavorites, false},  {channels::kCmdDeleteFromAllFavorites, true},
    {channels::kCmdAddEmptyChannel, false},    {channels::kCmdEditChannel, false},
    {channels::kCmdDeleteChannels, true},      {channels::kCmdLockChannels, false},
    {channels::kCmdUnlockChannels, true},      {channels::kCmdSkipChannels, false},
    {channels::kCmdFreeChannels, false},
};

}  // namespace

std::unique_ptr<QMenu> ServiceMenu::make(QWidget* parent) const {
    auto menu = std::make_unique<QMenu>(parent);
    for (const MenuEntry& e : kServiceMenu) {
        QAction* a = menu->addAction(Q(editor_.commandText(e.command)));
        a->setData(e.command);
        a->setEnabled(editor_.commandEnabled(e.command));
        if (e.separatorAfter)
            menu->addSeparator();
    }
    menu->addSeparator();
    QAction* undo = menu->addAction(Q(Msg(142)));  // offered, changes nothing
    undo->setData(0);
    return menu;
}

void ServiceMenu::run(int command) {
    using namespace channels;
    switch (command) {
        case kCmdStartNumbering:
            editor_.startNumbering(dialogs_);
            break;
        case kCmdEndNumbering:
            editor_.endNumbering();
            break;
        case kCmdCancelNumbering:
            editor_.cancelNumbering();
            break;
        case kCmdMoveTo:
            editor_.moveTo(dialogs_);
            break;
        case kCmdRenumbering:
            editor_.renumber();
            break;
        case kCmdAddToFavorite:
            editor_.addToSelectedFavorite();
            break;
        case kCmdAddToNewTvFavorite:
            editor_.addToNewFavorite(kTv);
            break;
        case kCmdAddToNewRadioFavorite:
            editor_.addToNewFavorite(kRadio);
            break;
        case kCmdAddToAllFavorites:
            editor_.addToAllFavorites();
            break;
        case kCmdDeleteFromAllFavorites:
            editor_.deleteFromAllFavorites();
            break;
        case kCmdAddEmptyChannel:
            editor_.addEmptyChannel();
            break;
        case kCmdEditChannel:
            editor_.editChannel(dialogs_);
            break;
        case kCmdDeleteChannels:
            editor_.deleteChannels();
            break;
        case kCmdLockChannels:
            editor_.setLocked(true);
            break;
        case kCmdUnlockChannels:
            editor_.setLocked(false);
            break;
        case kCmdSkipChannels:
            editor_.setSkipped(true);
            break;
        case kCmdFreeChannels:
            editor_.setSkipped(false);
            break;
        default:
            break;
    }
}

}  // namespace velkport::editor
