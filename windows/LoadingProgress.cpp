#include "LoadingProgress.h"

#include "frmLoading.h"

#include <QLabel>

LoadingProgress::~LoadingProgress() {
    close();
}

frmLoading* LoadingProgress::ensureWindow() {
    if (!m_window)
        m_window = new frmLoading;
    return m_window;
}

frmLoading* LoadingProgress::window() const {
    return m_window.data();
}

void LoadingProgress::show() {
    ensureWindow()->showModeless();
}

void LoadingProgress::setMessage(const QString& text) {
    ensureWindow()->lblLoading->setText(text);
}

void LoadingProgress::refresh() {
    if (m_window)
        m_window->refreshNow();
}

void LoadingProgress::close() {
    delete m_window.data();
}
