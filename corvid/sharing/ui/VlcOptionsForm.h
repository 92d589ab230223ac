#pragma once
// The VLC and subtitle choices with auto start, as the settings dialog and the wizard's
// Setting page show them: VLC on/off and folder, video and audio bitrate, subtitle font,
// alignment, size, effect and colour.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace corvid::sharing {

class SharingSettings;

class VlcOptionsForm : public QWidget {
    Q_OBJECT
  public:
    // withBlankBitrates: the bitrate lists begin with an empty entry (nothing chosen yet).
    explicit VlcOptionsForm(bool withBlankBitrates, QWidget* parent = nullptr);

    void Load(const SharingSettings& settings);
    // Stores every choice (auto start through its desktop entry); false when one could not be
    // saved.
    bool Save(SharingSettings& settings) const;
    std::uint32_t videoBitrate() const;
    std::uint32_t audioBitrate() const;

    QComboBox* videoBox() const { return video_; }
    QComboBox* audioBox() const { return audio_; }
    QCheckBox* autoStartBox() const { return autoStart_; }

  private:
    QCheckBox* useVlc_;
    QLineEdit* vlcFolder_;
    QComboBox* video_;
    QComboBox* audio_;
    QLineEdit* font_;
    QComboBox* align_;
    QComboBox* size_;
    QComboBox* effect_;
    QComboBox* color_;
    QCheckBox* autoStart_;
};

}  // namespace corvid::sharing
