#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;

// A check box whose caption wraps onto as many lines as the control's width needs. The box sits
// at the left, the caption beside it, both centred vertically. A click on the caption toggles the
// box exactly as a click on the box does, so clicked() always reports the state after the click.
// The box takes the focus; the caption has no accelerator.
class WrappingCheckBox : public QWidget {
    Q_OBJECT

public:
    explicit WrappingCheckBox(const QString& text, QWidget* parent = nullptr);

    QString text() const;
    bool isChecked() const;
    void setChecked(bool checked);

    QCheckBox* box() const { return m_box; }
    QLabel* caption() const { return m_caption; }

Q_SIGNALS:
    void clicked(bool checked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QCheckBox* m_box;
    QLabel* m_caption;
};
