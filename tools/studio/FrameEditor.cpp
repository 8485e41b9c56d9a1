#include "FrameEditor.h"
#include "BackdropCleaner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

using Table = std::array<uchar, 256>;

Table gainTable(double gain) {
    Table table{};
    for (int v = 0; v < 256; ++v)
        table[std::size_t(v)] = uchar(std::clamp(int(std::lround(v * gain)), 0, 255));
    return table;
}

} // namespace

QSize FrameEditor::sizeAt(double scale) const {
    const int left = int(std::floor(m_crop.left() * scale));
    const int top = int(std::floor(m_crop.top() * scale));
    const int right = int(std::ceil((m_crop.left() + m_crop.width()) * scale));
    const int bottom = int(std::ceil((m_crop.top() + m_crop.height()) * scale));
    return QSize(right - left, bottom - top);
}

QImage FrameEditor::apply(const QImage& picture, double scale, const FrameEdit& edit,
                          QPoint origin) const {
    QImage out = cut(picture, scale, edit, origin);
    if (!out.isNull())
        clean(out, edit);
    return out;
}

void FrameEditor::clean(QImage& picture, const FrameEdit& edit) const {
    if (!m_clean)
        return;
    const Table gain = gainTable(edit.gain); // the backdrop as the gain left it
    BackdropCleaner(m_colour, m_tolerance)
        .clean(picture, qRgb(gain[uchar(qRed(edit.backdrop))], gain[uchar(qGreen(edit.backdrop))],
                             gain[uchar(qBlue(edit.backdrop))]));
}

QImage FrameEditor::cut(const QImage& picture, double scale, const FrameEdit& edit,
                        QPoint origin) const {
    const QSize size = sizeAt(scale);
    QImage out(size, QImage::Format_RGB888);
    if (out.isNull())
        return out;
    const int fromX = int(std::floor(m_crop.left() * scale)) -
                      int(std::lround(edit.shift.x() * scale)) - origin.x();
    const int fromY = int(std::floor(m_crop.top() * scale)) -
                      int(std::lround(edit.shift.y() * scale)) - origin.y();
    const Table gain = gainTable(edit.gain);
    const uchar fill[3] = {uchar(qRed(edit.backdrop)), uchar(qGreen(edit.backdrop)),
                           uchar(qBlue(edit.backdrop))};
    for (int y = 0; y < size.height(); ++y) {
        const int sy = y + fromY;
        const bool rowInside = sy >= 0 && sy < picture.height();
        const uchar* source = rowInside ? picture.constScanLine(sy) : nullptr;
        uchar* target = out.scanLine(y);
        for (int x = 0; x < size.width(); ++x, target += 3) {
            const int sx = x + fromX;
            const uchar* p = rowInside && sx >= 0 && sx < picture.width() ? source + 3 * sx : fill;
            target[0] = gain[p[0]];
            target[1] = gain[p[1]];
            target[2] = gain[p[2]];
        }
    }
    return out;
}
