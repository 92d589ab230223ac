#pragma once
// The Satellite & Transponder dialog: the satellites of the database, the transponders of the
// clicked satellite, and their fields. Its buttons change the database at once.

#include <QDialog>

#include "velkport/editor/SatelliteTransponderDialog.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace velkport::editor {

class SatelliteTransponderDialogView : public QDialog {
    Q_OBJECT
  public:
    SatelliteTransponderDialogView(channels::ChannelListEditor& editor, QWidget* parent = nullptr);

    QTableWidget* satelliteList() const { return satellites_; }
    QTableWidget* transponderList() const { return transponders_; }
    QLineEdit* satelliteField(int i) const { return satFields_[i]; }
    QLineEdit* transponderField(int i) const { return tpFields_[i]; }
    QComboBox* polarization() const { return polarization_; }
    QPushButton* satelliteButton(int i) const { return satButtons_[i]; }   // New, Save, Delete
    QPushButton* transponderButton(int i) const { return tpButtons_[i]; }  // New, Save, Delete

    void clickSatellite(int viewRow);
    void clickTransponder(int viewRow);

  private:
    void fillSatellites();
    void fillTransponders();
    void showSatelliteFields(const SatelliteFields& f);
    void showTransponderFields(const TransponderFields& f);
    void syncSelections();
    int logicRow(QTableWidget* table, int viewRow) const;
    void selectLogicRow(QTableWidget* table, int row);

    SatelliteTransponderDialog logic_;
    QTableWidget* satellites_;
    QTableWidget* transponders_;
    QLineEdit* satFields_[6];
    QLineEdit* tpFields_[4];
    QComboBox* polarization_;
    QPushButton* satButtons_[3];
    QPushButton* tpButtons_[3];
};

}  // namespace velkport::editor
