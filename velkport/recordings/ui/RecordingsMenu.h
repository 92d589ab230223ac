#pragma once
// The pop-up menus of the recordings window's lists, icon views and folder trees: the commands
// that fit the control, each enabled for the current selection while no job runs, and acting
// on that control.

#include <memory>

class QMenu;
class QWidget;

namespace velkport::recordings {

class RecordingsWindow;

class RecordingsMenu {
  public:
    explicit RecordingsMenu(RecordingsWindow& window) : w_(window) {}

    // The menu of control; the window's focus moves to control first.
    std::unique_ptr<QMenu> make(QWidget* control);

  private:
    RecordingsWindow& w_;
};

}  // namespace velkport::recordings
