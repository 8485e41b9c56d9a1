#pragma once

#include "windows/LoadingProgress.h"

#include <QMainWindow>

class CommonDialog;
class ImageArray;
class ImageControl;
class Program;
class Prompter;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class ScrollBar;
struct OptionSettings;

// The viewer's main window. It owns every control the viewing code touches, laid out at fixed
// positions in twips inside the client area below the menu bar; resizing the window by hand
// moves no control. The event handlers are members named control_event; each control's event is
// wired to its handler here, and the handlers are virtual so that tests can observe them.
//
// The window keeps the services it was given (prompter, program, option settings) by reference;
// they must outlive it. It owns the progress window driver `loadingProgress`.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    frmMain(Prompter& prompter, Program& program, OptionSettings& settings,
            QWidget* parent = nullptr);
    ~frmMain() override;

    Prompter& prompter() const { return m_prompter; }
    Program& program() const { return m_program; }
    OptionSettings& settings() const { return m_settings; }

    // Outer size in twips: the client area, the menu bar and the frame the window system draws
    // (0 while the window is unframed: before it is first shown, offscreen, or without a window
    // manager). Setting it resizes the window so that its outer size becomes the given one.
    int outerWidthTwips() const;
    int outerHeightTwips() const;
    void setOuterWidthTwips(double width);
    void setOuterHeightTwips(double height);
    void setOuterSizeTwips(double width, double height);

    // Event handlers.
    virtual void Form_Load();
    virtual void Form_Unload();
    virtual void HscrArray_Change();
    virtual void VscrArray_Change();
    virtual void hscrlZoom_Change();
    virtual void hscrlZoom_Scroll();
    virtual void imgMain_MouseMove(int Button, int Shift, float X, float Y);
    virtual void mnuOpen_Click();
    virtual void mnuOptions_Click();
    virtual void mnuAbout_Click();
    virtual void mnuExit_Click();

    // Controls.
    ImageControl* imgMain = nullptr;
    ImageArray* imgArray = nullptr;
    ScrollBar* HscrArray = nullptr;
    ScrollBar* VscrArray = nullptr;
    QPushButton* cmdTop = nullptr;
    QLineEdit* txtHorizontal = nullptr;
    QLineEdit* txtVertical = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    ScrollBar* hscrlZoom = nullptr;
    QLabel* lblZoom = nullptr;
    QCheckBox* chkAutoSpin = nullptr;
    QLineEdit* txtImageNum = nullptr;
    QLabel* lblImageNum = nullptr;
    QLabel* lblX = nullptr;
    QLabel* lblY = nullptr;
    QLabel* lblInOut = nullptr;
    CommonDialog* cd = nullptr;

    // Menu.
    QMenu* mnuFile = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuExit = nullptr;

    // The progress window shown while a package opens.
    LoadingProgress loadingProgress;

protected:
    // Closing the window by any means runs Form_Unload; ending the program at once does not close
    // the window and so does not run it.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls(QWidget* client);
    void createMenu();
    void wireEvents();

    Prompter& m_prompter;
    Program& m_program;
    OptionSettings& m_settings;
};
