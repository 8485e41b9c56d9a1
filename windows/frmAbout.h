#pragma once

#include <QDialog>
#include <array>

class BlankWrapLabel;
class LineControl;
class QLabel;
class QPushButton;

// The about window: program title, version, what the program is for and a short notice.
// A fixed dialog frame placed at a fixed spot of the screen. Every showing builds it afresh and
// runs its load step before it is drawn; "OK", Enter and Esc close it. It changes nothing else.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Creates the window, shows it modally and destroys it when it closes.
    static void showModal(QWidget* parent);

    // The description, as the window shows it.
    static QString descriptionText();

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    BlankWrapLabel* lblDescription;
    std::array<LineControl*, 2> Line1;
    QPushButton* cmdOK;
    QLabel* lblDisclaimer;

private:
    void Form_Load();
    void cmdOK_Click();
};
