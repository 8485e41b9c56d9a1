#pragma once

#include "format/ProgressSink.h"

#include <QStringList>

// Records every progress line and how often the line was refreshed.
class RecordingProgressSink : public ProgressSink {
public:
    void setMessage(const QString& text) override {
        messages.append(text);
        current = text;
    }
    void refresh() override { ++refreshes; }

    QStringList messages;
    QString current;
    int refreshes = 0;
};
