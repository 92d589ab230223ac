#pragma once
// The set-up wizard shown while Corvid is not configured, pages in this order: Welcome, Select
// Server Type, Login ID and Password, Sharing JPEG, Sharing MP3 files, Sharing multimedia
// streaming files, Share Record, Setting, Shared Information and Start, Finish. "Next" on a
// page runs its check and stays on the page when the check refuses.

#include <QWizard>

#include "corvid/sharing/ui/DesktopServices.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace corvid::sharing {

class SharingSettings;
class VlcOptionsForm;
class WizardSharePage;

class SetupWizard : public QWizard {
    Q_OBJECT
  public:
    enum Page {
        Welcome = 0,
        ServerType,
        Login,
        ShareJpeg,
        ShareMusic,
        ShareVideo,
        ShareRecord,
        Setting,
        Information,
        Finish
    };

    SetupWizard(SharingSettings& settings, const DesktopServices& services,
                QWidget* parent = nullptr);

    bool validateCurrentPage() override;
    void initializePage(int id) override;

    QRadioButton* upnpButton() const { return upnp_; }
    QRadioButton* fileSharingButton() const { return fileSharing_; }
    QLineEdit* loginEdit() const { return login_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* receiverEdit() const { return receiver_; }
    WizardSharePage* sharePage(Page page) const;
    VlcOptionsForm* options() const { return options_; }

  private:
    QWizardPage* textPage(int title, std::initializer_list<int> texts);
    void fillSummary();

    SharingSettings& settings_;
    const DesktopServices& services_;
    QRadioButton* upnp_ = nullptr;
    QRadioButton* fileSharing_ = nullptr;
    QLineEdit* login_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* receiver_ = nullptr;
    QLabel* summary_ = nullptr;
    VlcOptionsForm* options_ = nullptr;
};

}  // namespace corvid::sharing
