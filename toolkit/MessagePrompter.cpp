#include "MessagePrompter.h"

#include "Program.h"

#include <QInputDialog>
#include <QMessageBox>

MessagePrompter::MessagePrompter(QWidget* parent) : m_parent(parent) {}

void MessagePrompter::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, Program::title(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

Prompter::Reply MessagePrompter::askYesNoCancel(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Warning, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
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
