// The zoom keys: shortcuts of the window (not of a menu) that move the zoom bar, so that the
// caption, the picture and the window follow exactly as when the bar is moved by hand.
#include "frmMain.h"

#include "toolkit/ScrollBar.h"
#include "toolkit/Twips.h"
#include "view/WholePicture.h"

#include <QAction>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kNaturalZoom = 20;

enum class ZoomKey { Fit, Natural, In, Out };

} // namespace

void frmMain::createZoomKeys() {
    const struct {
        QKeySequence key;
        ZoomKey what;
    } keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_0), ZoomKey::Fit},
        {QKeySequence(Qt::CTRL | Qt::Key_1), ZoomKey::Natural},
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), ZoomKey::In},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), ZoomKey::In},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), ZoomKey::Out},
    };
    for (const auto& k : keys) {
        auto* action = new QAction(this);
        action->setShortcut(k.key);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, what = k.what] {
            switch (what) {
            case ZoomKey::Fit:
                return zoomByKey(fitZoom());
            case ZoomKey::Natural:
                return zoomByKey(kNaturalZoom);
            case ZoomKey::In:
                return zoomByKey(hscrlZoom->value() + 1);
            case ZoomKey::Out:
                return zoomByKey(hscrlZoom->value() - 1);
            }
        });
    }
}

int frmMain::fitZoom() const {
    const QScreen* where = screen();
    if (!where)
        return kNaturalZoom;
    const QSize natural(twipsToPixels(lPicWidth), twipsToPixels(lPicHeight));
    return wholePictureZoom(natural, where->availableGeometry().size());
}

void frmMain::zoomByKey(int zoom) {
    // Without a package the bar is hidden and the keys do nothing.
    if (hscrlZoom->isHidden())
        return;
    hscrlZoom->setValue(std::clamp(zoom, hscrlZoom->min(), hscrlZoom->max()));
}
