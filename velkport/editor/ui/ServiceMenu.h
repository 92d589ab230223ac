#pragma once
// The service list's context menu: its commands in menu order with their separators, each
// enabled as the editor logic says, and the running of the chosen command on the editor.

#include <memory>

#include "velkport/channels/ChannelListEditor.h"

class QMenu;
class QWidget;

namespace velkport::editor {

class ServiceMenu {
  public:
    ServiceMenu(channels::ChannelListEditor& editor, channels::EditorDialogs& dialogs)
        : editor_(editor), dialogs_(dialogs) {}

    // The menu; each action's data is its command (0 for the last entry, which does nothing).
    std::unique_ptr<QMenu> make(QWidget* parent) const;
    void run(int command);

  private:
    channels::ChannelListEditor& editor_;
    channels::EditorDialogs& dialogs_;
};

}  // namespace velkport::editor
