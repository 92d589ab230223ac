#pragma once
// Corvid's main window, titled "corvid" (Velkport finds a running Corvid by it): the share list
// (Name, Type, Path; a share whose folder has gone is marked), the commands Add, Delete,
// Properties, Start, Reset and Setup, the receiver's IP address, and the status. The tray icon
// shows the status and offers Open, Start and Exit; where the desktop has no tray the window
// stays open and closing it ends Corvid.

#include <QWidget>
#include <map>

#include "corvid/sharing/ui/DesktopServices.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSystemTrayIcon;
class QTreeWidget;
class QAction;

namespace corvid::sharing {

class SharingSettings;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    enum Status { Offline = 0, Online = 1, Connecting = 2 };
    enum class Command { Add, Delete, Properties, Start, Reset, Setup };

    MainWindow(SharingSettings& settings, DesktopServices services, QWidget* parent = nullptr);

    // Empties the list and fills it again from the share table as the system has it now.
    void RefreshShareList();
    void SetStatus(Status status);
    Status status() const { return status_; }
    // A receiver address from Velkport or a second start: stored when it differs; the window
    // is shown when asked.
    void TakeAddress(const QString& address, bool show);
    // Starts the server with messages, asking for a missing address or password first.
    void StartWithMessages();

    QTreeWidget* shareList() const { return list_; }
    QPushButton* button(Command command) const { return buttons_.at(command); }
    QLineEdit* receiverEdit() const { return receiver_; }
    QSystemTrayIcon* tray() const { return tray_; }
    const DesktopServices& services() const { return services_; }

  signals:
    void exitRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void setCommandsEnabled(bool on);
    void addShare();
    void deleteShares();
    void showProperties();
    void resetReceiver();

    SharingSettings& settings_;
    DesktopServices services_;
    QTreeWidget* list_;
    QLineEdit* receiver_;
    QLabel* statusLabel_;
    std::map<Command, QPushButton*> buttons_;
    QSystemTrayIcon* tray_ = nullptr;
    QAction* trayStart_ = nullptr;
    Status status_ = Offline;
};

}  // namespace corvid::sharing
