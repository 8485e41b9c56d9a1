#include "WrappingCheckBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>

namespace {
constexpr int kGap = 3; // pixels between the box and its caption
}

WrappingCheckBox::WrappingCheckBox(const QString& text, QWidget* parent)
    : QWidget(parent), m_box(new QCheckBox(this)), m_caption(new QLabel(text, this)) {
    m_caption->setWordWrap(true);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_caption->installEventFilter(this);
    setFocusProxy(m_box);
    setFocusPolicy(m_box->focusPolicy());
    connect(m_box, &QCheckBox::clicked, this, &WrappingCheckBox::clicked);
}

QString WrappingCheckBox::text() const {
    return m_caption->text();
}

bool WrappingCheckBox::isChecked() const {
    return m_box->isChecked();
}

void WrappingCheckBox::setChecked(bool checked) {
    m_box->setChecked(checked);
}

bool WrappingCheckBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_caption && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_caption->rect().contains(mouse->position().toPoint()) && isEnabled()) {
            m_box->setFocus(Qt::MouseFocusReason);
            m_box->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WrappingCheckBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize boxSize = m_box->sizeHint();
    m_box->setGeometry(0, (height() - boxSize.height()) / 2, boxSize.width(), boxSize.height());
    const int captionLeft = boxSize.width() + kGap;
    m_caption->setGeometry(captionLeft, 0, qMax(0, width() - captionLeft), height());
}
