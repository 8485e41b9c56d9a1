// Turning, zooming and the pointer read-out of the main window.
//
// The handlers only hand pictures already held by imgArray to imgMain; they never read the disk.
// The view never leaves the package's rows: moved past the top or bottom row of the column's rings
// (where the slot layout holds the next column's ring), the vertical bar goes back to that row.
// A vertical position for which the package holds no picture otherwise leaves the view as it is.
// When a turn lands on a column without the ring the bar stands in, the view returns to the
// horizontal ring at the column reached: otherwise a vertical value kept from an earlier package,
// or rings that do not branch off every third column, would leave the object impossible to turn.
#include "frmMain.h"

#include "format/Navigation.h"
#include "format/RingTurns.h"
#include "opening/BackgroundLoading.h"
#include "pictures/PictureKeeper.h"
#include "pictures/PictureSlots.h"
#include "view/PictureArea.h"
#include "view/PointerReadout.h"
#include "view/ViewSelection.h"
#include "view/ZoomRules.h"

#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/ScrollBar.h"
#include "toolkit/Twips.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <utility>

namespace {

// How long after a turn the views of the pictures next are started.
constexpr int kViewsLeadMs = 15;

QString decimal(int value) {
    return QString::number(value);
}

RingRows ringRowsOf(const std::vector<std::uint8_t>& upperRing,
                    const std::vector<std::uint8_t>& lowerRing, const ImageArray& slots) {
    return RingRows::from(upperRing, lowerRing, slots.upperBound() + 1);
}

} // namespace

bool frmMain::showSlot(int slot) {
    const ImageControl* element = imgArray->at(slot);
    if (!element)
        return false;
    if (element->picture()) {
        m_slotToHold = -1;
        imgMain->setPicture(element->picture());
        return true;
    }
    if (!m_loading || !m_loading->fills(slot))
        return false;
    m_slotToHold = slot;
    if (!m_holdPosted) {
        m_holdPosted = true;
        QMetaObject::invokeMethod(
            this, [this] { holdTurnedTo(); }, Qt::QueuedConnection);
    }
    return true;
}

void frmMain::holdTurnedTo() {
    // Presses already queued turn on first; each of them only moves m_slotToHold.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::KeyPress);
    m_holdPosted = false;
    const int slot = std::exchange(m_slotToHold, -1);
    const ImageControl* element = slot >= 0 ? imgArray->at(slot) : nullptr;
    // The loading's own news may have held it since the turn.
    if (element && (element->picture() || holdNow(slot))) {
        imgMain->setPicture(element->picture());
        prepareAhead(true); // the turn told the keeper of the picture shown before
    }
}

void frmMain::applyZoomedSize() {
    const TwipSize size = zoomedSize(hscrlZoom->value(), lPicWidth, lPicHeight);
    imgMain->moveTwips(imgMain->leftTwips(), imgMain->topTwips(), size.width, size.height);
}

void frmMain::showHorizontalColumn(int h) {
    if (!showSlot(h))
        return;
    applyZoomedSize();
    iCurrent = qint16(h);
    txtHorizontal->setText(decimal(h));
    imgMain->setToolTip(decimal(iCurrent));
    txtImageNum->setText(decimal(h));
    const auto column = std::size_t(h);
    VscrArray->setEnabled(column < UpperRing.size() && UpperRing[column] != navigation::kNoRing);
    bBusy = true;
    VscrArray->setValue(navigation::kHorizontalRingValue);
    txtVertical->setText(decimal(VscrArray->value()));
    bBusy = false;
}

void frmMain::turnOnHorizontalRing() {
    bBusy = true;
    if (HscrArray->value() == iHCount)
        HscrArray->setValue(0);
    if (HscrArray->value() == -1)
        HscrArray->setValue(iHCount - 1);
    bBusy = false;
    const int h = HscrArray->value();
    iLastH = qint16(h);
    showHorizontalColumn(h);
}

void frmMain::HscrArray_Change() {
    if (bBusy || iHCount <= 0)
        return;
    const int bar = HscrArray->value();
    if (iLastH > bar)
        bForward = false;
    if (iLastH < bar)
        bForward = true;
    const int v = VscrArray->value();

    if (v == navigation::kHorizontalRingValue) {
        // The horizontal ring: one step past either end wraps at once.
        turnOnHorizontalRing();
        prepareAhead(true);
        return;
    }

    // A vertical ring: the turn jumps a ring stride of columns, or goes back to the horizontal
    // ring where the column reached has no picture of this row.
    const RingRows rows = ringRowsOf(UpperRing, LowerRing, *imgArray);
    const RingView to = RingTurns::turn(bar, bForward, v, iHCount, [&](int h, int row) {
        return pictureSlotFor(h, row, UpperRing, LowerRing, &rows).has_value();
    });
    bForward = to.forward;
    bBusy = true;
    HscrArray->setValue(to.h);
    bBusy = false;
    iLastH = qint16(to.h);
    const std::optional<int> slot = pictureSlotFor(to.h, to.v, UpperRing, LowerRing, &rows);
    if (to.v == navigation::kHorizontalRingValue || !slot || !showSlot(*slot)) {
        // No picture there: back to the horizontal ring at the column reached.
        turnOnHorizontalRing();
        prepareAhead(true);
        return;
    }
    iCurrent = qint16(to.h);
    txtHorizontal->setText(decimal(to.h));
    txtImageNum->setText(decimal(*slot));
    prepareAhead(true);
}

void frmMain::VscrArray_Change() {
    const int v = VscrArray->value();
    if (!bBusy && iHCount > 0) {
        const int h = HscrArray->value();
        const RingRows rows = ringRowsOf(UpperRing, LowerRing, *imgArray);
        const int within = verticalWithinRings(h, v, rows);
        if (within != v) {
            VscrArray->setValue(within); // runs this handler again, which shows that row
            return;
        }
        const std::optional<int> slot = pictureSlotFor(h, v, UpperRing, LowerRing, &rows);
        if (slot && showSlot(*slot)) {
            txtImageNum->setText(decimal(*slot));
            prepareAhead(true);
        }
    }
    txtVertical->setText(decimal(v));
}

void frmMain::prepareAhead(bool turned) {
    // The rows of each ring as the turn reads them, so that the turns ahead go back to the
    // horizontal ring where the turn itself does.
    const RingRows rows = ringRowsOf(UpperRing, LowerRing, *imgArray);
    const TurnPosition at{iCurrent, VscrArray->value(), bForward, iHCount, [&](int h, int v) {
                              return pictureSlotFor(h, v, UpperRing, LowerRing, &rows);
                          }};
    // The loading, while it goes on, decodes the positions this turn reaches next first.
    if (m_loading && turned)
        m_loading->follow(PictureKeeper::slotsAhead(at, BackgroundLoading::kAhead));
    m_slotsNext = PictureKeeper::slotsAhead(at);
    m_nextTurned = turned;
    const PicturePtr& onScreen = imgMain->picture();
    if (!onScreen)
        return;
    std::vector<PicturePtr> next;
    for (const int slot : m_slotsNext)
        if (const ImageControl* element = imgArray->at(slot); element && element->picture())
            next.push_back(element->picture());
    // The keeper decides what is decoded of them, and when.
    m_keeper->follow(onScreen, imgMain->shownPixels(), turned, next,
                     imgMain->partShown(onScreen->size()));
    // The views, which only spare the scaling, a little after the decodes, so that turning as
    // fast as the paints go is not slowed by views that would come too late anyway; a list made
    // for a picture no longer on screen (a later turn, another package) is dropped.
    QTimer::singleShot(kViewsLeadMs, this, [this, next, onScreen] {
        if (imgMain->picture() == onScreen)
            imgMain->paintAhead(next);
    });
}

void frmMain::followZoom() {
    const QPointF middle = m_pictureArea->middle();
    const int z = hscrlZoom->value();
    lblZoom->setText(zoomCaption(z));
    applyZoomedSize();
    const TwipSize picture = zoomedSize(z, lPicWidth, lPicHeight);
    // The thresholds are judged on the exact twips of the picture, not on its rounded pixels.
    const TwipSize before{double(outerWidthTwips()), double(outerHeightTwips())};
    const TwipSize after = zoomedWindowSize(picture, before);
    if (after.width != before.width || after.height != before.height)
        fitOuterSize(QSize(twipsToPixels(after.width), twipsToPixels(after.height)), true);
    m_pictureArea->setMiddle(middle);
    prepareAhead(false); // the pictures next, at the zoom now in use
}

void frmMain::hscrlZoom_Change() {
    followZoom();
}

void frmMain::hscrlZoom_Scroll() {
    followZoom();
}

void frmMain::imgMain_MouseMove(int Button, int Shift, float X, float Y) {
    Q_UNUSED(Button);
    Q_UNUSED(Shift);
    lblX->setText(formatSingle(X));
    lblY->setText(formatSingle(Y));
    // The test reads back the texts shown, so it judges exactly what the user sees.
    const bool inside = pointerInside(lblX->text(), lblY->text(), hscrlZoom->value(),
                                      hotSpots.rectangle(1, iCurrent));
    lblInOut->setText(inside ? QStringLiteral("In") : QStringLiteral("Out"));
}
