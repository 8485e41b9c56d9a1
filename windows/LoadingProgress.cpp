#include "LoadingProgress.h"

#include "frmLoading.h"

#include <QLabel>
#include <QScreen>

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

void LoadingProgress::placeBeside(const QWidget* main) {
    if (!m_window || !main)
        return;
    const QRect beside = main->frameGeometry();
    const QSize size = m_window->frameGeometry().size();
    const QRect room = main->screen() ? main->screen()->availableGeometry() : QRect();
    const QPoint tries[] = {
        {beside.right() + 1, beside.top()},
        {beside.left() - size.width(), beside.top()},
        {beside.left(), beside.bottom() + 1},
        {beside.left(), beside.top() - size.height()},
    };
    for (const QPoint& at : tries)
        if (room.isEmpty() || room.contains(QRect(at, size))) {
            m_window->move(at);
            return;
        }
    m_window->move(tries[0]);
}
