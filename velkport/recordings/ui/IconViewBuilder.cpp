#include "velkport/recordings/ui/IconViewBuilder.h"

#include <QImage>
#include <QListWidget>
#include <QPixmap>

#include <memory>

#include "velkport/recordings/RecordText.h"
#include "velkport/recordings/ui/RecordingsPane.h"
#include "velkport/recordings/ui/RecordingsRoles.h"
#include "velkport/recordings/ui/RecordingsWindow.h"
#include "velkport/shell/widgets/BackgroundJob.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::recordings {

using shell::Q;

namespace {

QPixmap BlankIcon() {
    QPixmap blank(ThumbnailMaker::kWidth, ThumbnailMaker::kHeight);
    blank.fill(Qt::darkGray);
    return blank;
}

}  // namespace

void IconViewBuilder::start() {
    RecordingsWindow& w = w_;
    if (w.job_->running() || w.destroying_)
        return;
    w.recIcons_->clear();
    w.pcIcons_->clear();
    struct Icons {
        std::vector<RecordEntry> entries;
    };
    auto built = std::make_shared<Icons>();
    RecordingsWindow* window = &w;
    auto addIcon = [window](QListWidget* list, QString label, QString name, QString file,
                            std::vector<std::uint8_t> ppm) {
        QMetaObject::invokeMethod(
            window,
            [list, label, name, file, ppm = std::move(ppm)] {
                QImage image;
                QPixmap pixmap =
                    !ppm.empty() &&
                            image.loadFromData(ppm.data(), static_cast<int>(ppm.size()), "PPM")
                        ? QPixmap::fromImage(image)
                        : BlankIcon();
                auto* item = new QListWidgetItem(QIcon(pixmap), label, list);
                item->setData(kNameRole, name);
                item->setData(kFileRole, file);
            },
            Qt::QueuedConnection);
    };
    auto bar = [window](RecordingsPane* pane, std::size_t done, std::size_t total) {
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        QMetaObject::invokeMethod(
            window, [pane, percent] { pane->showPercent(percent); }, Qt::QueuedConnection);
    };
    const bool online = w.online_;
    RecordManager* manager = w.manager_.get();
    QListWidget* recIcons = w.recIcons_;
    QListWidget* pcIcons = w.pcIcons_;
    RecordingsPane* recPane = w.recPane_;
    RecordingsPane* pcPane = w.pcPane_;
    w.startWorker(
        [=](shell::Progress& progress) {
            if (online) {
                std::vector<RecordEntry> all;
                manager->RefreshReceiverList(all);
                for (RecordEntry& e : all)
                    if (e.scrambled == 0)
                        built->entries.push_back(std::move(e));
                for (std::size_t i = 0; i < built->entries.size() && !progress.cancelled(); ++i) {
                    const RecordEntry& e = built->entries[i];
                    std::string text;
                    ThumbnailResult picture;
                    manager->ReceiverPicture(e, text, picture);
                    addIcon(recIcons, Q(ToDisplayText(e.title)), Q(e.fileName), QString(),
                            picture.picture ? std::move(picture.ppm) : std::vector<std::uint8_t>());
                    bar(recPane, i + 1, built->entries.size());
                }
            }
            const auto files = manager->RefreshPcList();
            for (std::size_t i = 0; i < files.size() && !progress.cancelled(); ++i) {
                std::string text;
                ThumbnailResult picture;
                manager->PcPicture(files[i].fileName, text, picture);
                addIcon(pcIcons, Q(files[i].fileName), Q(files[i].title), Q(files[i].fileName),
                        picture.picture ? std::move(picture.ppm) : std::vector<std::uint8_t>());
                bar(pcPane, i + 1, files.size());
            }
        },
        [window, built] {
            window->entries_ = std::move(built->entries);
            window->updateDiskBars();
            emit window->iconsBuilt();
        });
}

}  // namespace velkport::recordings
