#pragma once

// The main window as turn_bench drives it: a fresh window opening a package as start-up does, the
// pace of a held arrow key, and how the figures are printed.
#include "format/OptionSettings.h"
#include "format/Prompter.h"
#include "opening/SystemFreeMemory.h"
#include "sound/MediaControl.h"
#include "toolkit/Program.h"
#include "view/frmMain.h"

#include <QImage>
#include <QTextStream>
#include <chrono>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start);
QString ms(double value);
void waitExposed(QWidget& window);

// The pictures decoded when shown and the turns painted from views made ahead, so far.
struct Counts {
    qint64 decodes = 0;
    qint64 views = 0;
    static Counts now(frmMain& window);
    QString since(const Counts& before) const;
};

// Collects messages instead of showing them; questions are cancelled.
class CollectingPrompter : public Prompter {
public:
    QStringList messages;
    void message(const QString& text) override { messages.append(text); }
    Reply askYesNoCancel(const QString&, const QString&) override { return Reply::Cancel; }
    QString inputBox(const QString&, const QString&) override { return QString(); }
};

// The time between two steps of a held arrow; the event loop runs meanwhile, as it does between
// a held key's repeats (the work ahead is done then).
constexpr int kHeldKeyPaceMs = 50;
void pauseAsBetweenRepeats();

// The steps a steady turn takes: the ring twice round, and at least enough for a p99 that is not
// just the slowest step.
int steadySteps(int ringColumns);

// The times of copying the bytes of a decoded picture `count` times, each after `pause`.
std::vector<double> plainCopyTimes(const QImage& image, int count,
                                   const std::function<void()>& pause);

// "count <n> min <ms> median <ms> p99 <ms> max <ms>"
QString figures(const std::vector<double>& times);

// Lets the window settle at the new zoom (the viewer keeps it within its screen's available
// area) and says its size.
void reportWindow(frmMain& window, QTextStream& out);

// Turns the horizontal ring one step at a time at a held arrow's pace, reversing after every
// `reverseEvery` steps (0: never); returns the times of the steady steps and of the reversals.
std::pair<std::vector<double>, std::vector<double>> turnAtPace(frmMain& window, int steps,
                                                               int reverseEvery);

// A fresh main window with services of its own (no sound), opening a package as start-up does.
struct BenchWindow {
    CollectingPrompter prompter;
    Program program{QStringList{}};
    OptionSettings settings;
    MediaControl media;
    SystemFreeMemory freeMemory;
    std::unique_ptr<frmMain> window;

    // The window, shown, with no package yet.
    void create(bool useRam);
    // False, with the reason written to `out`, when the package does not open. With `loaded`,
    // back once every picture is held; otherwise as soon as the first is shown.
    bool open(const QString& path, bool useRam, QTextStream& out, bool loaded = true);
    // The same in the window already open, in place of its package.
    bool openAgain(const QString& path, QTextStream& out, bool loaded = true);
};
