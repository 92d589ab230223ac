#pragma once
// The service list as a Qt table model: a thin view of the editor logic's visible rows. Cells
// are formatted only when the view asks for them, so that a full list of 3500 services shows at
// once.

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <vector>

#include "velkport/channels/ChannelListEditor.h"

class QTableView;

namespace velkport::editor {

class ServiceTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kColumnCount = 13;  // the twelve columns and an untitled last one
    static constexpr const char* kMimeType = "application/x-velkport-services";

    explicit ServiceTableModel(channels::ChannelListEditor& editor, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

    // The rows changed (order, count): the whole model is new.
    void reset();
    // Only the texts of rows changed.
    void refreshData();

    // While a transfer's worker thread owns the editor, the view draws a copy of the rows taken
    // here (or nothing, when keepRows is false) and never reads the editor.
    void freeze(bool keepRows);
    void thaw();
    bool frozen() const { return frozen_; }

    static int columnWidth(int column);
    // Shows this model in view as the service list: whole rows, column widths, drags of rows.
    void setUpView(QTableView* view);
    // The logic's row selection and focused row shown in view.
    void showSelection(QTableView* view) const;
    static bool numericColumn(int column);

  private:
    struct FrozenRow {
        std::array<QString, kColumnCount - 1> cells;
        bool radio = false;
        bool marked = false;
    };
    QVariant rowData(int row, int column, int role, bool radio, bool marked) const;

    channels::ChannelListEditor& editor_;
    bool frozen_ = false;
    std::vector<FrozenRow> frozenRows_;
    QIcon tvIcon_;
    QIcon radioIcon_;
    QIcon tvMark_;
    QIcon radioMark_;
};

}  // namespace velkport::editor
