#include "velkport/editor/ui/QtEditorDialogs.h"

#include "velkport/editor/ui/ChannelInfoDialogView.h"
#include "velkport/editor/ui/InputDialogView.h"

namespace velkport::editor {

std::optional<int> QtEditorDialogs::askNumber(channels::InputMode mode, int rowCount,
                                              const std::vector<int>& selectedNumbers) {
    InputDialogView dialog(mode, rowCount, selectedNumbers, prompter_, parent_.data());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.number();
}

bool QtEditorDialogs::editService(channels::Service& copy, int rowCount) {
    ChannelInfoDialogView dialog(copy, rowCount, prompter_, parent_.data());
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace velkport::editor
