#pragma once
// The Input and Channel Info dialogs as the editor logic asks for them.

#include <QPointer>
#include <QWidget>

#include "velkport/channels/ChannelListEditor.h"

namespace velkport::editor {

class QtEditorDialogs : public channels::EditorDialogs {
  public:
    QtEditorDialogs(QWidget* parent, shell::Prompter& prompter)
        : parent_(parent), prompter_(prompter) {}
    std::optional<int> askNumber(channels::InputMode mode, int rowCount,
                                 const std::vector<int>& selectedNumbers) override;
    bool editService(channels::Service& copy, int rowCount) override;

  private:
    QPointer<QWidget> parent_;
    shell::Prompter& prompter_;
};

}  // namespace velkport::editor
