#pragma once

#include "format/Prompter.h"

#include <QList>
#include <QStringList>

// Answers the program's questions from scripts and records what was asked.
// When a script runs out, questions are answered Cancel / empty text.
class ScriptedPrompter : public Prompter {
public:
    void message(const QString& text) override { messages.append(text); }

    Reply askYesNoCancel(const QString& text, const QString& title) override {
        questions.append(text);
        questionTitles.append(title);
        return replies.isEmpty() ? Reply::Cancel : replies.takeFirst();
    }

    QString inputBox(const QString& prompt, const QString& defaultText) override {
        prompts.append(prompt);
        defaults.append(defaultText);
        return inputs.isEmpty() ? QString() : inputs.takeFirst();
    }

    QStringList messages;
    QStringList questions;
    QStringList questionTitles;
    QStringList prompts;
    QStringList defaults;
    QList<Reply> replies; // answers for askYesNoCancel, in order
    QStringList inputs;   // answers for inputBox, in order
};
