#pragma once
// The channel editor's keys: Enter and Esc never close the window (Enter commits a favorite's
// name while it is edited), Ctrl+Z is swallowed (there is no undo), Delete deletes what has the
// focus, the arrow and page keys move the position labels, and F1 opens the help.

#include <functional>

class QKeyEvent;

namespace velkport::editor {

class EditorKeyHandler {
  public:
    struct Hooks {
        std::function<void()> updatePositions;
        std::function<bool()> deleteEnabled;
        std::function<void()> deleteAction;
        std::function<void()> focusTree;
        std::function<void()> openHelp;
    };

    explicit EditorKeyHandler(Hooks hooks) : hooks_(std::move(hooks)) {}

    // A key press or release in the window; true when it is taken here and goes no further.
    bool handle(const QKeyEvent& key, bool press, bool labelEditing) const;

  private:
    Hooks hooks_;
};

}  // namespace velkport::editor
