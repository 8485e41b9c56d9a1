#include "SoundAfterPicture.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kLatestStartMs = 2000;

} // namespace

SoundAfterPicture::SoundAfterPicture(QWidget* picture, std::function<void()> start, QObject* parent)
    : QObject(parent), m_picture(picture), m_start(std::move(start)) {
    picture->installEventFilter(this);
    QTimer::singleShot(kLatestStartMs, this, [this] { startOnce(); });
}

bool SoundAfterPicture::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picture && event->type() == QEvent::Paint) {
        m_picture->removeEventFilter(this);
        // The paint goes to the screen before the event loop runs again.
        QTimer::singleShot(0, this, [this] { startOnce(); });
    }
    return QObject::eventFilter(watched, event);
}

void SoundAfterPicture::startOnce() {
    if (!m_start)
        return;
    m_picture->removeEventFilter(this);
    const std::function<void()> start = std::exchange(m_start, nullptr);
    start();
}
