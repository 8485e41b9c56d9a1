#pragma once

#include <QSize>
#include <QString>

class QFontMetrics;

// Fits the text of a message box to the screen it shows on. Lines longer than `maxLineLength`
// characters keep their start and end around "..."; when the lines, wrapped at `lineWidth`
// pixels, would be taller than `maxHeight` pixels, lines from the middle give way to one line
// saying how many were left out, so that the start and the end of the message stay in view.
QString fittedMessage(const QString& text, const QFontMetrics& metrics, int lineWidth,
                      int maxHeight, int maxLineLength = 200);
