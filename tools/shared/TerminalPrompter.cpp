#include "TerminalPrompter.h"

#include <QTextStream>

void TerminalPrompter::message(const QString& text) {
    m_messages.append(text);
    if (m_echo)
        QTextStream(stderr) << text << '\n';
}

Prompter::Reply TerminalPrompter::askYesNoCancel(const QString& text, const QString& title) {
    if (m_echo)
        QTextStream(stderr) << title << ": " << text << " (answered Cancel)\n";
    return Reply::Cancel;
}

QString TerminalPrompter::inputBox(const QString& prompt, const QString&) {
    if (m_echo)
        QTextStream(stderr) << prompt << (m_answer.isEmpty() ? " (no answer)\n" : " (answered)\n");
    return m_answer;
}
