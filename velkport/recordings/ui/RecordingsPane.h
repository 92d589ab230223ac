#pragma once
// One side of a two-sided manager window (the receiver's or the PC's): a folder tree over a
// list with configurable columns (or, in the icon view, a grid of pictures), the disk bar, and
// the picture area with its text. The recordings window has two of them; the music and picture
// managers use the same pane with their own columns.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QListWidget;
class QPixmap;
class QProgressBar;
class QStackedWidget;
class QTimer;
class QTreeWidget;

namespace velkport::recordings {

class RecordingsPane : public QWidget {
    Q_OBJECT
  public:
    struct Column {
        QString heading;
        double fraction = 0;  // of the list's width
        bool rightAligned = false;
    };

    // filter watches the list, the icons and the tree (keys, focus); the list's columns keep
    // their fractions of its width when it is resized.
    RecordingsPane(const std::vector<Column>& columns, QSize iconSize, QObject* filter,
                   QWidget* parent);

    QTreeWidget* list() const { return list_; }
    QListWidget* icons() const { return icons_; }
    QTreeWidget* tree() const { return tree_; }
    QProgressBar* disk() const { return disk_; }
    QLabel* picture() const { return picture_; }
    QLabel* pictureText() const { return text_; }
    // Fires once after scheduleItemPicture(); the pane shows the current item's picture then.
    QTimer* pictureTimer() const { return pictureTimer_; }

    void setIconView(bool on);
    // The disk bar: used of total MiB, or empty when unknown.
    void showDisk(std::optional<std::pair<std::uint64_t, std::uint64_t>> usedTotalMiB);
    // The disk bar as a plain percentage (while the icons are built).
    void showPercent(int percent);
    // The picture area: the text, and the picture when there is one (else the old one stays,
    // unless clearOld).
    void showPicture(const QString& text, const QPixmap* picture, bool clearOld);
    void clearPicture();
    // Selects the rows whose data(0, role) passes isWanted; the last becomes current.
    void selectRows(int role, const std::function<bool(const std::string&)>& isWanted);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void sizeColumns();

    std::vector<double> fractions_;
    QTreeWidget* list_;
    QListWidget* icons_;
    QTreeWidget* tree_;
    QStackedWidget* stack_;
    QProgressBar* disk_;
    QLabel* picture_;
    QLabel* text_;
    QTimer* pictureTimer_;
};

}  // namespace velkport::recordings
