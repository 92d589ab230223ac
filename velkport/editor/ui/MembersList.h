#pragma once
// The favorite members list: a two-column list whose drags carry their own data type, so that
// a drop can tell members from services.

#include <QTreeWidget>

#include <vector>

namespace velkport::channels {
struct FavoriteGroup;
}

namespace velkport::editor {

class MembersList : public QTreeWidget {
    Q_OBJECT
  public:
    static constexpr const char* kMimeType = "application/x-velkport-members";
    explicit MembersList(QWidget* parent = nullptr);

    // The members of group (none: empty), one row each: channel number and name.
    void showGroup(const channels::FavoriteGroup* group);
    // The rows selected, in list order.
    std::vector<int> selectedRows() const;

  protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
};

}  // namespace velkport::editor
