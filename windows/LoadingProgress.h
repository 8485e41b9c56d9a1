#pragma once

#include "format/ProgressSink.h"

#include <QPointer>

class QWidget;

class frmLoading;

// Drives the progress window for a load and is the progress sink that the opening, the
// extraction and the picture loading write to. Everything runs on the window thread.
//
// - show() creates the window when there is none and shows it without modality.
// - setMessage() replaces the line; with no window it creates one first, unshown.
// - refresh() puts the current line on screen at once (nothing happens without a window).
// - close() destroys the window; the next show() or setMessage() builds a fresh one.
// The object owns the window; destroying the object destroys it.
class LoadingProgress : public ProgressSink {
public:
    LoadingProgress() = default;
    ~LoadingProgress() override;
    LoadingProgress(const LoadingProgress&) = delete;
    LoadingProgress& operator=(const LoadingProgress&) = delete;

    void show();
    void setMessage(const QString& text) override;
    void refresh() override;
    void close();
    // Moves the window beside `main` (right of it, else left, else below, else above, on main's
    // screen), so that it does not hide what main shows. Nothing happens without a window.
    void placeBeside(const QWidget* main);

    // The window, or nullptr when none exists.
    frmLoading* window() const;

private:
    frmLoading* ensureWindow();

    QPointer<frmLoading> m_window;
};
