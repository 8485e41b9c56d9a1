#pragma once

#include <QWidget>

class QLabel;

// The progress window: one line of text, shown beside the main window while a package is
// extracted and its pictures are loaded. A top-level window with no owner and a fixed size; it
// has no close box and no behaviour of its own. LoadingProgress creates, drives and destroys it.
class frmLoading : public QWidget {
    Q_OBJECT

public:
    explicit frmLoading(QWidget* parent = nullptr);

    // Shows the window without modality and returns once the window system has exposed it (or
    // after a short bounded wait where exposure never comes), so that the next message can be
    // drawn at once.
    void showModeless();

    // Draws the window now and hands queued window-system work (exposure, painting) to Qt
    // without processing user input, so the current text is on screen although the calling
    // thread stays busy.
    void refreshNow();

    QLabel* lblLoading;
};
