// The zoom a package opens at: pictures larger than the window the screen allows are seen whole.
#include "frmMain.h"

#include "toolkit/ScrollBar.h"
#include "toolkit/Twips.h"
#include "view/PictureArea.h"
#include "view/ZoomRules.h"

#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>

void frmMain::setOpeningZoom() {
    const QScreen* where = screen();
    if (!where)
        return;
    const QSize natural(twipsToPixels(lPicWidth), twipsToPixels(lPicHeight));
    const int before = hscrlZoom->value();
    const int zoom = m_pictureArea->openingZoom(before, natural, where->availableGeometry().size());
    if (zoom == before)
        return;
    {
        // The opening sizes the picture itself, below.
        const QSignalBlocker quiet(hscrlZoom);
        hscrlZoom->setValue(zoom);
    }
    lblZoom->setText(zoomCaption(zoom));
    // The window the sizing rules give the picture at that zoom.
    const TwipSize picture = zoomedSize(zoom, lPicWidth, lPicHeight);
    setOuterSizeTwips(picture.width + 300, picture.height + 1500);
}
