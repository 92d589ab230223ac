#pragma once
// The Input dialog's logic: the start number of the numbering mode and the target number of
// "Move to".

#include <optional>
#include <string>
#include <vector>

#include "velkport/channels/ChannelListEditor.h"
#include "velkport/shell/base/Prompter.h"

namespace velkport::editor {

using channels::InputMode;

class InputDialog {
  public:
    static std::string title(InputMode mode);
    static std::string prompt(InputMode mode);
    static std::string fieldLabel();
    // OK: the number must lie in 1..rowCount, and in move mode must not be the number of a
    // selected row. A refusal is shown and gives none (the dialog stays open).
    static std::optional<int> accept(const std::string& text, InputMode mode, int rowCount,
                                     const std::vector<int>& selectedNumbers,
                                     shell::Prompter& prompter);
};

}  // namespace velkport::editor
