// The hand-offs of Qt's futures, thread pools and concurrent engines, told to the thread sanitizer.
//
// Built only in the tsan preset and loaded ahead of Qt with LD_PRELOAD (tests/README.md). Qt passes
// work and results from thread to thread with atomics and futex-based mutexes inside libQt6Core and
// libQt6Concurrent, which are not built with the sanitizer: it does not see those hand-offs, and
// reports every object passed through them (a task's captured values, a result, the engine of a
// concurrent map) as raced, while the program's own data races on pool threads stay hidden among
// them. Each function here stands in front of a Qt function that the program's inlined Qt code
// calls at a hand-off, calls that function, and tells the sanitizer what Qt guarantees there: what
// a thread did before a call on a future (or an engine, or a task of a pool) happens before what
// another thread does after a later call on the same one. A data race in the program's own code
// still shows.
#include <QFutureInterfaceBase>
#include <QThreadPool>
#include <QtConcurrent/qtconcurrentthreadengine.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <functional>
#include <memory>
#include <sanitizer/tsan_interface.h>
#include <type_traits>

namespace {

// The Qt function this one stands in front of.
template <typename Fn> Fn real(const char* symbol) {
    void* found = dlsym(RTLD_NEXT, symbol);
    if (!found) {
        std::fprintf(stderr, "QtHandOffs: no %s in Qt\n", symbol);
        std::abort();
    }
    return reinterpret_cast<Fn>(found);
}

// A call on the hand-off point `at`: what this thread did so far is published there, and what
// other threads published there is seen after it.
template <typename Call> auto through(void* at, Call call) {
    __tsan_release(at);
    if constexpr (std::is_void_v<decltype(call())>) {
        call();
        __tsan_acquire(at);
    } else {
        auto result = call();
        __tsan_acquire(at);
        return result;
    }
}

using Future = QFutureInterfaceBase;

QMutex& stateMutex(const Future* future) {
    static const auto call = real<QMutex& (*)(const Future*)>("_ZNK20QFutureInterfaceBase5mutexEv");
    return call(future);
}

// A future's hand-off point: the mutex of the state its copies share.
void* point(const Future* future) {
    return &stateMutex(future);
}

} // namespace

// --- Futures: started, results reported, finished; waited for, results read --------------------

#define GYRO_FUTURE_CALL(Result, Name, Symbol, Const)                                              \
    Result QFutureInterfaceBase::Name() Const {                                                    \
        static const auto call = real<Result (*)(Const Future*)>(Symbol);                          \
        return through(point(this), [&] { return call(this); });                                   \
    }

GYRO_FUTURE_CALL(void, reportStarted, "_ZN20QFutureInterfaceBase13reportStartedEv", )
GYRO_FUTURE_CALL(void, reportFinished, "_ZN20QFutureInterfaceBase14reportFinishedEv", )
GYRO_FUTURE_CALL(void, reportCanceled, "_ZN20QFutureInterfaceBase14reportCanceledEv", )
GYRO_FUTURE_CALL(void, waitForFinished, "_ZN20QFutureInterfaceBase15waitForFinishedEv", )
GYRO_FUTURE_CALL(bool, isCanceled, "_ZNK20QFutureInterfaceBase10isCanceledEv", const)
GYRO_FUTURE_CALL(bool, isFinished, "_ZNK20QFutureInterfaceBase10isFinishedEv", const)
#undef GYRO_FUTURE_CALL

void QFutureInterfaceBase::reportResultsReady(int beginIndex, int endIndex) {
    static const auto call =
        real<void (*)(Future*, int, int)>("_ZN20QFutureInterfaceBase18reportResultsReadyEii");
    through(point(this), [&] { call(this, beginIndex, endIndex); });
}

void QFutureInterfaceBase::waitForResult(int resultIndex) {
    static const auto call =
        real<void (*)(Future*, int)>("_ZN20QFutureInterfaceBase13waitForResultEi");
    through(point(this), [&] { call(this, resultIndex); });
}

bool QFutureInterfaceBase::queryState(State state) const {
    static const auto call =
        real<bool (*)(const Future*, State)>("_ZNK20QFutureInterfaceBase10queryStateENS_5StateE");
    return through(point(this), [&] { return call(this, state); });
}

// The copies of a future count the result's users; the last one clears the results.
bool QFutureInterfaceBase::refT() const noexcept {
    static const auto call = real<bool (*)(const Future*)>("_ZNK20QFutureInterfaceBase4refTEv");
    return through(point(this), [&] { return call(this); });
}

bool QFutureInterfaceBase::derefT() const noexcept {
    static const auto call = real<bool (*)(const Future*)>("_ZNK20QFutureInterfaceBase6derefTEv");
    return through(point(this), [&] { return call(this); });
}

// Results are stored and read with the state's mutex held, taken through this.
QMutex& QFutureInterfaceBase::mutex() const {
    QMutex& held = stateMutex(this);
    __tsan_release(&held);
    __tsan_acquire(&held);
    return held;
}

// --- Pools: a function handed to a worker, and the pool waited for ------------------------------

namespace {

// A function handed to a worker of a pool. Its own address is the hand-off point: the worker reads
// nothing of it before it has seen what the starting thread published there.
struct HandedOff {
    std::function<void()> run;
    QThreadPool* pool;

    void operator()() {
        __tsan_acquire(this);
        run();
        run = nullptr; // what it holds goes before the pool is seen done
        __tsan_release(pool);
    }
};

} // namespace

void QThreadPool::start(std::function<void()> functionToRun, int priority) {
    static const auto call = real<void (*)(QThreadPool*, std::function<void()>, int)>(
        "_ZN11QThreadPool5startESt8functionIFvvEEi");
    std::function<void()> handed = HandedOff{std::move(functionToRun), this};
    __tsan_release(handed.target<HandedOff>()); // stays where it is when the function is moved
    call(this, std::move(handed), priority);
}

bool QThreadPool::waitForDone(int msecs) {
    static const auto call = real<bool (*)(QThreadPool*, int)>("_ZN11QThreadPool11waitForDoneEi");
    const bool done = call(this, msecs);
    __tsan_acquire(this);
    return done;
}

// A runnable (a concurrent engine) handed to a worker.
void QThreadPool::start(QRunnable* runnable, int priority) {
    static const auto call =
        real<void (*)(QThreadPool*, QRunnable*, int)>("_ZN11QThreadPool5startEP9QRunnablei");
    __tsan_release(runnable);
    call(this, runnable, priority);
}

// --- Concurrent engines (map): the engine's threads and the future it reports to ---------------

namespace QtConcurrent {

namespace {

// Both the engine's point and its future's: the engine's last thread reports to the future, and
// the future's waiter may free what the engine's other threads used.
template <typename Call>
auto throughEngine(ThreadEngineBase* engine, QFutureInterfaceBase* future, Call call) {
    if (!future)
        return through(engine, call);
    return through(engine, [&] { return through(point(future), call); });
}

} // namespace

bool ThreadEngineBase::isCanceled() {
    static const auto call =
        real<bool (*)(ThreadEngineBase*)>("_ZN12QtConcurrent16ThreadEngineBase10isCanceledEv");
    return throughEngine(this, futureInterface, [&] { return call(this); });
}

void ThreadEngineBase::startThread() {
    static const auto call =
        real<void (*)(ThreadEngineBase*)>("_ZN12QtConcurrent16ThreadEngineBase11startThreadEv");
    throughEngine(this, futureInterface, [&] { call(this); });
}

void ThreadEngineBase::waitForResume() {
    static const auto call =
        real<void (*)(ThreadEngineBase*)>("_ZN12QtConcurrent16ThreadEngineBase13waitForResumeEv");
    throughEngine(this, futureInterface, [&] { call(this); });
}

} // namespace QtConcurrent
