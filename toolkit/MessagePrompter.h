#pragma once

#include "format/Prompter.h"

#include <QPointer>
#include <QWidget>

// The program's questions and messages as real modal boxes titled with the program title.
// Each call returns only when the user has answered. The boxes are placed over the parent window
// given (when there is one) and block the whole application while they are up. A text too long
// for the screen is shortened to fit (see MessageText.h).
class MessagePrompter : public Prompter {
public:
    explicit MessagePrompter(QWidget* parent = nullptr);

    // The window the boxes are shown over; may be set after construction (main() creates the
    // prompter before the main window that it later shows its boxes over).
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    void message(const QString& text) override;
    Reply askYesNoCancel(const QString& text, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& defaultText) override;

private:
    QPointer<QWidget> m_parent;
};
