#pragma once

#include <QString>

// Where long work (extraction, picture loading) reports its progress line. The viewer implements
// it with the progress window, the package tool on the terminal, tests with a recorder.
// Every writer calls refresh() after every setMessage(): the work keeps the calling thread busy,
// so the line must become visible without waiting for an event loop.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    // Replaces the current line. The viewer creates its progress window, unshown, if it has none.
    virtual void setMessage(const QString& text) = 0;

    // Makes the current line visible now.
    virtual void refresh() = 0;
};

// A sink that drops everything.
class NullProgressSink : public ProgressSink {
public:
    void setMessage(const QString&) override {}
    void refresh() override {}
};
