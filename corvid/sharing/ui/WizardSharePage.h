#pragma once
// One of the wizard's sharing pages (JPEG, MP3, streaming, record): a folder ("..." browses;
// a folder that cannot be used gives "Unknown Directory"), a share name, "Add" with the share
// table's checks, and the list of the shares of this page's media type.

#include <QWizardPage>
#include <string>

#include "corvid/sharing/ui/DesktopServices.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvid::sharing {

class SharingSettings;

class WizardSharePage : public QWizardPage {
    Q_OBJECT
  public:
    // mediaType: "jpeg", "music", "video" or "record"; title and texts are message ids.
    WizardSharePage(SharingSettings& settings, const DesktopServices& services,
                    std::string mediaType, int title, int text, int hint,
                    QWidget* parent = nullptr);

    void initializePage() override;
    // Adds the share typed in; false (with the message shown) when it is refused.
    bool AddShare();
    // Takes a folder chosen by browsing.
    void ChooseFolder(const QString& folder);
    void Refresh();

    QLineEdit* pathEdit() const { return path_; }
    QLineEdit* nameEdit() const { return name_; }
    QPushButton* addButton() const { return add_; }
    QListWidget* list() const { return list_; }

  private:
    SharingSettings& settings_;
    const DesktopServices& services_;
    std::string mediaType_;
    QLineEdit* path_;
    QLineEdit* name_;
    QCheckBox* readOnly_;
    QPushButton* add_;
    QListWidget* list_;
};

}  // namespace corvid::sharing
