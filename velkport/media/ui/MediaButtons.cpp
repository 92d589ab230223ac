#include "velkport/media/ui/MediaButtons.h"

#include "velkport/shell/base/MessageCatalogue.h"

namespace velkport::media {

std::array<QPushButton*, kMediaButtonCount> MakeButtons(QWidget* window, MediaType type) {
    struct Placement {
        int message, x, width;  // message -1: no caption of the catalogue
    };
    constexpr std::array<Placement, kMediaButtonCount> placements = {{{52, 4, 80},
                                                                      {-1, 84, 40},
                                                                      {53, 124, 90},
                                                                      {54, 214, 90},
                                                                      {55, 304, 105},
                                                                      {56, 409, 110},
                                                                      {57, 519, 110},
                                                                      {11, 629, 90},
                                                                      {-1, 719, 140}}};
    std::array<QPushButton*, kMediaButtonCount> buttons{};
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const QString caption = placements[i].message < 0
                                    ? QString()
                                    : QString::fromStdString(shell::Msg(placements[i].message));
        buttons[i] = new QPushButton(caption, window);
        buttons[i]->setGeometry(placements[i].x, 4, placements[i].width, 35);
    }
    buttons[static_cast<std::size_t>(MediaButton::Forward)]->setText(QStringLiteral("\u25B6"));
    QPushButton* multi = buttons[static_cast<std::size_t>(MediaButton::MultiView)];
    multi->setText(QStringLiteral("Multi-View"));
    multi->setCheckable(true);
    if (type == MediaType::Mp3) {
        multi->setEnabled(false);
        multi->hide();
    }
    return buttons;
}

}  // namespace velkport::media
