#include "BindingState.h"

BindingState& bindingState() {
    static BindingState state;
    return state;
}

CallbackTargets::CallbackTargets(ProgressSink& progress, Prompter& prompter)
    : m_previousProgress(bindingState().progress), m_previousPrompter(bindingState().prompter) {
    bindingState().progress = &progress;
    bindingState().prompter = &prompter;
}

CallbackTargets::~CallbackTargets() {
    bindingState().progress = m_previousProgress;
    bindingState().prompter = m_previousPrompter;
}

MemberWatch::MemberWatch(std::function<void(const QString& path)> watcher,
                         std::function<void(const QString& path)> left)
    : m_previous(std::move(bindingState().memberWritten)),
      m_previousLeft(std::move(bindingState().memberLeft)) {
    bindingState().memberWritten = std::move(watcher);
    bindingState().memberLeft = std::move(left);
}

MemberWatch::~MemberWatch() {
    bindingState().memberWritten = std::move(m_previous);
    bindingState().memberLeft = std::move(m_previousLeft);
}
