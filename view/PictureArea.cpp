#include "PictureArea.h"

#include "toolkit/ImageControl.h"
#include "view/PanRules.h"
#include "view/WholePicture.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <cmath>

PictureArea::PictureArea(ImageControl* picture, QWidget* client)
    : QObject(client), m_picture(picture), m_client(client), m_area(new QScrollArea(client)),
      m_home(picture->pos()) {
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setWidgetResizable(false);
    m_area->setFocusPolicy(Qt::NoFocus); // until it scrolls
    m_area->setBackgroundRole(QPalette::Window);
    m_area->hide();
    client->installEventFilter(this);
    picture->installEventFilter(this);
}

int PictureArea::openingZoom(int current, QSize natural, QSize available) {
    const int whole = wholePictureZoom(natural, available);
    const int zoom = ::openingZoom(current, whole, m_lowered);
    m_lowered = zoom == whole && whole < 20 ? zoom : 0;
    return zoom;
}

OpeningShownSize PictureArea::openingShown(int current, QSize available, qreal ratio) const {
    return [current, available, ratio, lowered = m_lowered](QSize natural) {
        const QSize shownSize = openingShownPixels(natural, available, current, lowered);
        return QSize(int(std::ceil(shownSize.width() * ratio)),
                     int(std::ceil(shownSize.height() * ratio)));
    };
}

bool PictureArea::panning() const {
    return m_area->widget() == m_picture;
}

void PictureArea::follow() {
    if (m_following)
        return;
    const QScopedValueRollback guard(m_following, true);
    const QSize outer = m_client->window()->frameGeometry().size();
    const bool pan = !m_picture->isHidden() && !pictureFits(m_picture->size(), outer);
    if (pan) {
        if (!panning()) {
            m_area->setWidget(m_picture); // shows it inside
            m_area->lower();
        }
        const QSize room = m_client->size() - QSize(m_home.x() * 2, m_home.y() + m_home.x());
        const int bar = m_area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_area);
        m_area->setGeometry(QRect(m_home, pannedAreaSize(m_picture->size(), room, bar)));
        // Tab reaches the area; a click on the picture leaves the focus on the navigation bars.
        m_area->setFocusPolicy(Qt::TabFocus);
        m_area->show();
    } else if (panning()) {
        const bool visible = !m_picture->isHidden();
        m_area->takeWidget();
        m_area->hide();
        m_area->setFocusPolicy(Qt::NoFocus);
        m_picture->setParent(m_client);
        m_picture->setAutoFillBackground(false); // as the area had set it
        m_picture->move(m_home);
        m_picture->lower(); // at the bottom of the stack, where it was made
        m_picture->setVisible(visible);
    }
}

QPointF PictureArea::middle() const {
    if (!panning())
        return {0.5, 0.5};
    const QSize view = m_area->viewport()->size();
    return {
        middleFraction(m_area->horizontalScrollBar()->value(), view.width(), m_picture->width()),
        middleFraction(m_area->verticalScrollBar()->value(), view.height(), m_picture->height())};
}

void PictureArea::setMiddle(QPointF fraction) {
    if (!panning())
        return;
    const QSize view = m_area->viewport()->size();
    m_area->horizontalScrollBar()->setValue(
        valueForMiddle(fraction.x(), view.width(), m_picture->width()));
    m_area->verticalScrollBar()->setValue(
        valueForMiddle(fraction.y(), view.height(), m_picture->height()));
}

bool PictureArea::eventFilter(QObject* watched, QEvent* event) {
    if (m_following)
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (watched == m_client && type == QEvent::Resize) {
        const QPointF kept = middle();
        follow();
        setMiddle(kept);
    } else if (watched == m_picture &&
               (type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide)) {
        follow();
    }
    return QObject::eventFilter(watched, event);
}
