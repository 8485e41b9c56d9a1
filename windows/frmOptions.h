#pragma once

#include <QDialog>

class MediaControl;
struct OptionSettings;
class QPushButton;
class WrappingCheckBox;

// The options window: four check boxes, one per viewer setting, and "Exit".
// Every showing builds the window afresh with each box showing its setting's current value; a
// click on a box stores the box's new state in its setting and changes nothing else. "Exit" and
// the close box close the window; closing runs no handler. The settings object is the caller's.
// Given the media layer that plays the package's sound, turning "Sound On?" off stops that sound at
// once.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    explicit frmOptions(OptionSettings& settings, MediaControl* media = nullptr,
                        QWidget* parent = nullptr);

    // Creates the window, shows it modally and destroys it when it closes.
    static void showModal(OptionSettings& settings, MediaControl* media, QWidget* parent);

    QPushButton* cmdExit;
    WrappingCheckBox* chkLoadVertical;
    WrappingCheckBox* chkUseRam;
    WrappingCheckBox* chkSound;
    WrappingCheckBox* chkSoundRepeat;

protected:
    // Esc does not close the window: it has no cancel button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmdExit_Click();
    void chkLoadVertical_Click();
    void chkUseRam_Click();
    void chkSound_Click();
    void chkSoundRepeat_Click();

    OptionSettings& m_settings;
    MediaControl* m_media;
};
