#include "velkport/editor/ui/SatelliteTransponderDialogView.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

#include "velkport/channels/FecTable.h"
#include "velkport/shell/widgets/QtText.h"

namespace velkport::editor {

using shell::Q;
using shell::S;

namespace {

QTableWidget* MakeTable(QWidget* parent, const QStringList& titles) {
    auto* t = new QTableWidget(0, static_cast<int>(titles.size()), parent);
    t->setHorizontalHeaderLabels(titles);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::ExtendedSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    t->setSortingEnabled(true);
    return t;
}

QTableWidgetItem* Cell(int logicRow, const QVariant& value) {
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    item->setData(Qt::UserRole, logicRow);
    return item;
}

}  // namespace

SatelliteTransponderDialogView::SatelliteTransponderDialogView(channels::ChannelListEditor& editor,
                                                               QWidget* parent)
    : QDialog(parent),
      logic_(editor),
      satellites_(MakeTable(
          this, {"SatId", "Name", "LO1", "LO2", "BandSwitch", "Longitude", "SkewOffset"})),
      transponders_(MakeTable(this, {"Freq", "Symbol Rate", "Tsid", "Oid", "Pol", "FEC"})),
      polarization_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("Satellite & Transponder"));
    const char* satLabels[6] = {"Satellite Name", "LO1Frequecny", "LO2Frequency",
                                "BandSwitchFreq", "Longitude",    "SkewOffset"};
    const char* tpLabels[4] = {"Frequency", "Symbol Rate", "Tsid", "Osid"};
    auto* satGroup = new QGroupBox(QStringLiteral("Satellite"), this);
    auto* satForm = new QFormLayout;
    for (int i = 0; i < 6; ++i) {
        satFields_[i] = new QLineEdit(this);
        satForm->addRow(QString::fromLatin1(satLabels[i]), satFields_[i]);
    }
    auto* tpGroup = new QGroupBox(QStringLiteral("Transponder"), this);
    auto* tpForm = new QFormLayout;
    for (int i = 0; i < 4; ++i) {
        tpFields_[i] = new QLineEdit(this);
        tpForm->addRow(QString::fromLatin1(tpLabels[i]), tpFields_[i]);
    }
    polarization_->addItems({QStringLiteral("Vertical"), QStringLiteral("Horizontal")});
    polarization_->setCurrentIndex(-1);
    tpForm->addRow(QStringLiteral("Polarization"), polarization_);

    const char* names[3] = {"New", "Save", "Delete"};
    auto* satButtons = new QHBoxLayout;
    auto* tpButtons = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        satButtons_[i] = new QPushButton(QString::fromLatin1(names[i]), this);
        tpButtons_[i] = new QPushButton(QString::fromLatin1(names[i]), this);
        satButtons->addWidget(satButtons_[i]);
        tpButtons->addWidget(tpButtons_[i]);
    }
    auto* satLayout = new QVBoxLayout(satGroup);
    satLayout->addWidget(satellites_);
    satLayout->addLayout(satForm);
    satLayout->addLayout(satButtons);
    auto* tpLayout = new QVBoxLayout(tpGroup);
    tpLayout->addWidget(transponders_);
    tpLayout->addLayout(tpForm);
    tpLayout->addLayout(tpButtons);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* exit = new QPushButton(QStringLiteral("Exit"), this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(exit);
    auto* groups = new QHBoxLayout;
    groups->addWidget(satGroup, 3);
    groups->addWidget(tpGroup, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(bottom);
    resize(900, 560);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(satellites_, &QTableWidget::cellClicked, this,
            [this](int row, int) { clickSatellite(row); });
    connect(transponders_, &QTableWidget::cellClicked, this,
            [this](int row, int) { clickTransponder(row); });
    connect(satellites_, &QTableWidget::itemSelectionChanged, this,
            &SatelliteTransponderDialogView::syncSelections);
    connect(transponders_, &QTableWidget::itemSelectionChanged, this,
            &SatelliteTransponderDialogView::syncSelections);

    connect(satButtons_[0], &QPushButton::clicked, this, [this] {
        if (channels::Satellite* s = logic_.newSatellite()) {
            fillSatellites();
            const auto rows = logic_.satelliteRows();
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i] == s)
                    selectLogicRow(satellites_, static_cast<int>(i));
            showSatelliteFields(logic_.fieldsOf(*s));
            fillTransponders();
        }
    });
    connect(satButtons_[1], &QPushButton::clicked, this, [this] {
        SatelliteFields f;
        f.name = satFields_[0]->text().toStdString();
        f.lo1 = satFields_[1]->text().toStdString();
        f.lo2 = satFields_[2]->text().toStdString();
        f.bandSwitch = satFields_[3]->text().toStdString();
        f.longitude = satFields_[4]->text().toStdString();
        f.skewOffset = satFields_[5]->text().toStdString();
        if (logic_.saveSatellite(f)) {
            const auto selected = satellites_->selectionModel()->selectedRows();
            const int row = selected.size() == 1 ? logicRow(satellites_, selected[0].row()) : -1;
            fillSatellites();
            selectLogicRow(satellites_, row);
        }
    });
    connect(satButtons_[2], &QPushButton::clicked, this, [this] {
        if (logic_.deleteSatellites()) {
            fillSatellites();
            fillTransponders();
        }
    });
    connect(tpButtons_[0], &QPushButton::clicked, this, [this] {
        if (channels::Transponder* t = logic_.newTransponder()) {
            fillTransponders();
            const auto rows = logic_.transponderRows();
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i] == t)
                    selectLogicRow(transponders_, static_cast<int>(i));
            showTransponderFields(logic_.fieldsOf(*t));
        }
    });
    connect(tpButtons_[1], &QPushButton::clicked, this, [this] {
        TransponderFields f;
        f.frequency = tpFields_[0]->text().toStdString();
        f.symbolRate = tpFields_[1]->text().toStdString();
        f.tsid = tpFields_[2]->text().toStdString();
        f.osid = tpFields_[3]->text().toStdString();
        f.polarization = polarization_->currentIndex();
        if (logic_.saveTransponder(f)) {
            const auto selected = transponders_->selectionModel()->selectedRows();
            const int row = selected.size() == 1 ? logicRow(transponders_, selected[0].row()) : -1;
            fillTransponders();
            selectLogicRow(transponders_, row);
        }
    });
    connect(tpButtons_[2], &QPushButton::clicked, this, [this] {
        if (logic_.deleteTransponders())
            fillTransponders();
    });
    fillSatellites();
}

int SatelliteTransponderDialogView::logicRow(QTableWidget* table, int viewRow) const {
    const QTableWidgetItem* item = table->item(viewRow, 0);
    return item != nullptr ? item->data(Qt::UserRole).toInt() : -1;
}

void SatelliteTransponderDialogView::selectLogicRow(QTableWidget* table, int row) {
    const QSignalBlocker block(table);
    table->clearSelection();
    for (int r = 0; r < table->rowCount(); ++r) {
        if (logicRow(table, r) == row) {
            table->selectRow(r);
            table->scrollToItem(table->item(r, 0));
        }
    }
    syncSelections();
}

void SatelliteTransponderDialogView::fillSatellites() {
    const QSignalBlocker block(satellites_);
    satellites_->setSortingEnabled(false);
    const auto rows = logic_.satelliteRows();
    satellites_->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const channels::Satellite& s = *rows[static_cast<std::size_t>(i)];
        satellites_->setItem(i, 0, Cell(i, s.id));
        satellites_->setItem(i, 1, Cell(i, Q(s.name)));
        satellites_->setItem(i, 2, Cell(i, s.lo1));
        satellites_->setItem(i, 3, Cell(i, s.lo2));
        satellites_->setItem(i, 4, Cell(i, s.band));
        satellites_->setItem(i, 5, Cell(i, s.longitude));
        satellites_->setItem(i, 6, Cell(i, s.skewOffset));
    }
    satellites_->setSortingEnabled(true);
}

void SatelliteTransponderDialogView::fillTransponders() {
    const QSignalBlocker block(transponders_);
    transponders_->setSortingEnabled(false);
    const auto rows = logic_.transponderRows();
    transponders_->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const channels::Transponder& t = *rows[static_cast<std::size_t>(i)];
        transponders_->setItem(i, 0, Cell(i, t.frequency));
        transponders_->setItem(i, 1, Cell(i, t.symbolRate));
        transponders_->setItem(i, 2, Cell(i, t.tsid));
        transponders_->setItem(i, 3, Cell(i, t.onid));
        transponders_->setItem(i, 4, Cell(i, t.polarization == 'H' ? "H" : "V"));
        transponders_->setItem(
            i, 5,
            Cell(i,
                 QString::fromLatin1(channels::FecTable::nameOf(t.fec).data(),
                                     static_cast<int>(channels::FecTable::nameOf(t.fec).size()))));
    }
    transponders_->setSortingEnabled(true);
}

void SatelliteTransponderDialogView::syncSelections() {
    std::set<int> sats;
    for (const QModelIndex& i : satellites_->selectionModel()->selectedRows())
        sats.insert(logicRow(satellites_, i.row()));
    logic_.selectSatellites(sats);
    std::set<int> tps;
    for (const QModelIndex& i : transponders_->selectionModel()->selectedRows())
        tps.insert(logicRow(transponders_, i.row()));
    logic_.selectTransponders(tps);
}

void SatelliteTransponderDialogView::clickSatellite(int viewRow) {
    showSatelliteFields(logic_.clickSatellite(logicRow(satellites_, viewRow)));
    fillTransponders();
    syncSelections();
}

void SatelliteTransponderDialogView::clickTransponder(int viewRow) {
    showTransponderFields(logic_.clickTransponder(logicRow(transponders_, viewRow)));
    syncSelections();
}

void SatelliteTransponderDialogView::showSatelliteFields(const SatelliteFields& f) {
    satFields_[0]->setText(Q(f.name));
    satFields_[1]->setText(Q(f.lo1));
    satFields_[2]->setText(Q(f.lo2));
    satFields_[3]->setText(Q(f.bandSwitch));
    satFields_[4]->setText(Q(f.longitude));
    satFields_[5]->setText(Q(f.skewOffset));
}

void SatelliteTransponderDialogView::showTransponderFields(const TransponderFields& f) {
    tpFields_[0]->setText(Q(f.frequency));
    tpFields_[1]->setText(Q(f.symbolRate));
    tpFields_[2]->setText(Q(f.tsid));
    tpFields_[3]->setText(Q(f.osid));
    polarization_->setCurrentIndex(f.polarization);
}

}  // namespace velkport::editor
