#pragma once
// The channel editor's numbering mode: from a start number on, each click marks a row with the
// next number (a click on the last marked row takes its mark back); at the end the marked rows
// stand, in their order, from the start number on and the others fill the places around them.

#include "velkport/channels/ServiceList.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::channels {

class NumberingMode {
  public:
    NumberingMode(ServiceList& list, shell::Prompter& prompter, EditorNotify notify);

    bool active() const { return active_; }
    int start() const { return start_; }
    int next() const { return next_; }
    // Starts at a number 1..rows; a focused row is marked at once.
    bool startAt(int start);
    void click(int row);
    void end();
    void cancel();
    // Leaves the mode without telling anyone (the list is being emptied).
    void reset();

  private:
    void notify(EditorChange c) const {
        if (notify_)
            notify_(c);
    }

    ServiceList& list_;
    shell::Prompter& prompter_;
    EditorNotify notify_;
    bool active_ = false;
    int start_ = 0;
    int next_ = -1;
};

}  // namespace velkport::channels
