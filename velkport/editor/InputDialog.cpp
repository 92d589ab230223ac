#include "velkport/editor/InputDialog.h"

#include <algorithm>
#include <cstdlib>

#include "velkport/channels/ChannelListEditor.h"
#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::editor {

using channels::fillText;
using shell::Msg;

std::string InputDialog::title(InputMode mode) {
    return Msg(mode == InputMode::Start ? 176 : 177);
}

std::string InputDialog::prompt(InputMode mode) {
    return Msg(mode == InputMode::Start ? 60 : 178);
}

std::string InputDialog::fieldLabel() {
    return Msg(23);
}

std::optional<int> InputDialog::accept(const std::string& text, InputMode mode, int rowCount,
                                       const std::vector<int>& selectedNumbers,
                                       shell::Prompter& prompter) {
    const long n = std::strtol(text.c_str(), nullptr, 10);
    if (n < 1 || n > rowCount) {
        prompter.showMessage(fillText(Msg(179), rowCount), shell::PromptIcon::Error);
        return std::nullopt;
    }
    if (mode == InputMode::Move && std::find(selectedNumbers.begin(), selectedNumbers.end(),
                                             static_cast<int>(n)) != selectedNumbers.end()) {
        prompter.showMessage(Msg(180), shell::PromptIcon::Error);
        return std::nullopt;
    }
    return static_cast<int>(n);
}

}  // namespace velkport::editor
