#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Starts a package's sound once its first picture is on the screen. Bringing up the audio output
// can take a while (a sound server to reach, devices to probe, a long wait when there are none),
// and the picture need not wait for it. The start runs once, after the first paint of `picture`
// has gone to the screen, or after two seconds if no paint comes (a window shown minimized).
// Destroying the object first cancels it.
class SoundAfterPicture : public QObject {
public:
    SoundAfterPicture(QWidget* picture, std::function<void()> start, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startOnce();

    QWidget* m_picture;
    std::function<void()> m_start;
};
