#pragma once

#include "format/Prompter.h"

#include <QStringList>

// Answers the program's questions without a terminal dialogue: messages are collected (and
// written to standard error when `echo` is set), Yes/No/Cancel questions are answered Cancel, and
// an input box is answered with a preset text (the password given on the command line).
class TerminalPrompter : public Prompter {
public:
    explicit TerminalPrompter(QString answer = QString(), bool echo = false)
        : m_answer(std::move(answer)), m_echo(echo) {}

    void message(const QString& text) override;
    Reply askYesNoCancel(const QString& text, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& defaultText) override;

    const QStringList& messages() const { return m_messages; }

private:
    QString m_answer;
    bool m_echo;
    QStringList m_messages;
};
