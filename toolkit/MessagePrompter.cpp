#include "MessagePrompter.h"

#include "MessageText.h"
#include "Program.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>

namespace {

// The box's text as it fits on the screen the box shows on: a box wraps its text at about half
// the screen's width (at most 500 pixels) and may be as tall as the screen less its own margins.
QString fitted(const QString& text, const QMessageBox& box) {
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return text;
    const QRect area = screen->availableGeometry();
    const int lineWidth = std::max(200, std::min(area.width() / 2, 500) - 40);
    const int height = std::max(100, area.height() - 200);
    return fittedMessage(text, box.fontMetrics(), lineWidth, height);
}

} // namespace

MessagePrompter::MessagePrompter(QWidget* parent) : m_parent(parent) {}

void MessagePrompter::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, Program::title(), text, QMessageBox::Ok, m_parent);
    box.setText(fitted(text, box));
    box.exec();
}

Prompter::Reply MessagePrompter::askYesNoCancel(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Warning, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.setText(fitted(text, box));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel); // closing the box answers Cancel too
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Reply::Yes;
    case QMessageBox::No:
        return Reply::No;
    default:
        return Reply::Cancel;
    }
}

QString MessagePrompter::inputBox(const QString& prompt, const QString& defaultText) {
    bool accepted = false;
    const QString text = QInputDialog::getText(m_parent, Program::title(), prompt,
                                               QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}
