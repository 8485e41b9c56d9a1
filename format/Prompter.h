#pragma once

#include <QString>

// The modal questions and messages of the program. The viewer implements them with real message
// and input boxes titled with the program title; the package tool answers on the terminal; tests
// record the texts and give scripted answers.
class Prompter {
public:
    enum class Reply { Ok, Yes, No, Cancel };

    virtual ~Prompter() = default;

    // A message box with an OK button, titled with the program title.
    virtual void message(const QString& text) = 0;

    // A Yes/No/Cancel box with the warning icon and the given title. Closing the box without a
    // choice answers Cancel.
    virtual Reply askYesNoCancel(const QString& text, const QString& title) = 0;

    // A text-input box titled with the program title. Returns the typed text, or the empty text
    // when the user cancels.
    virtual QString inputBox(const QString& prompt, const QString& defaultText) = 0;
};
