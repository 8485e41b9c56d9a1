#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRgb>
#include <QString>
#include <vector>

// A synthetic turntable shoot for the tests and benchmarks of `make`'s studio options, made from
// the sample renders (a ring of 36 on a near-white background): each render's object (where it
// differs from the render's corner colour, with a soft edge) is laid on a grey backdrop, scaled,
// placed off the axis so that it swings along a sinusoid through the ring, jittered, lit with a
// flicker and given sensor noise, all from a seed. Every frame comes with the truth: where the
// object went, its gain and how much of each pixel is object.
class TurntableShoot {
public:
    struct Settings {
        QSize size{480, 360};
        int frames = 36;
        double objectShare = 0.5;            // the render's width as a share of the frame's
        double swing = 0.05;                 // half the swing, as a share of the frame's width
        double jitter = 1.0;                 // largest jitter, pixels, each way
        double flicker = 0.15;               // largest change of the light, each way
        double exposure = 1.0;               // the ring's own level of light
        double noise = 4.0;                  // standard deviation of each colour byte
        QRgb backdrop = qRgb(150, 150, 150); // the grey paper
        quint32 seed = 1;
    };
    struct Frame {
        QImage image;   // RGB888
        QPointF offset; // where the render's centre went, from the frame's centre
        double gain = 1;
        QImage alpha; // Grayscale8: 255 object, 0 backdrop
    };

    // renders: the folder of teapot_H_0000.jpg ... teapot_H_0035.jpg.
    TurntableShoot(const QString& renders, const Settings& settings);
    bool isValid() const { return !m_renders.empty(); }
    const Settings& settings() const { return m_settings; }

    Frame frame(int index) const;
    // Writes every frame as a JPEG (quality 92, 4:2:0) named shoot_NN.jpg into `folder`; false
    // when one cannot be written.
    bool write(const QString& folder, int threads = 2) const;

private:
    Settings m_settings;
    std::vector<QImage> m_renders;
};
