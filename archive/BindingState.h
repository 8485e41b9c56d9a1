#pragma once

#include <QString>
#include <functional>

class ProgressSink;
class Prompter;

// The process-wide state of the extraction binding (CodeModule). VBUnzip empties the last message
// and clears the password skip flag when an extraction begins, and points the callbacks at the
// caller's progress sink and prompter for as long as the extraction runs. The library's callbacks
// are plain functions, so this is the only way they reach the caller's windows.
struct BindingState {
    // Everything the library printed during the current or most recent extraction.
    QString sLastMessage;
    // Set when the user answered the password question with an empty text; no further password
    // question is asked until the next extraction.
    bool bSkipPassword = false;
    // Where the callbacks report progress and ask their questions; null outside an extraction
    // (the callbacks then skip the progress line and answer every question as cancelled).
    ProgressSink* progress = nullptr;
    Prompter* prompter = nullptr;
    // Told the path of every member written, after the service callback counted it; empty when
    // nobody watches.
    std::function<void(const QString& path)> memberWritten;
    // Told the path a member left in the archive would have been written to, after the left
    // callback counted it; empty when nobody watches.
    std::function<void(const QString& path)> memberLeft;

    void reset() { *this = BindingState{}; }
};

// The process-wide binding state.
BindingState& bindingState();

// Points the callbacks at a sink and a prompter for the lifetime of this object and restores the
// previous targets afterwards.
class CallbackTargets {
public:
    CallbackTargets(ProgressSink& progress, Prompter& prompter);
    ~CallbackTargets();
    CallbackTargets(const CallbackTargets&) = delete;
    CallbackTargets& operator=(const CallbackTargets&) = delete;

private:
    ProgressSink* m_previousProgress;
    Prompter* m_previousPrompter;
};

// Tells `watcher` the path of every member written while this object lives (and `left` the path
// of every member left in the archive), and restores the previous watchers afterwards. The
// watchers run on the extracting thread and must not throw.
class MemberWatch {
public:
    explicit MemberWatch(std::function<void(const QString& path)> watcher,
                         std::function<void(const QString& path)> left = {});
    ~MemberWatch();
    MemberWatch(const MemberWatch&) = delete;
    MemberWatch& operator=(const MemberWatch&) = delete;

private:
    std::function<void(const QString& path)> m_previous;
    std::function<void(const QString& path)> m_previousLeft;
};
