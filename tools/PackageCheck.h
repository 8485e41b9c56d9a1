#pragma once

#include "TerminalPrompter.h"

#include "format/OptionSettings.h"
#include "format/ProgressSink.h"
#include "opening/FreeMemorySource.h"
#include "opening/PackageOpening.h"
#include "pictures/PictureSlots.h"

#include <QString>
#include <memory>

// Opens a package the way the viewer does, without a window and without sound, with the viewer's
// default options, into a private folder that is gone again when run() returns. Afterwards the
// opening tells what the viewer would hold and slots() holds the pictures. The commands that
// report on a package (check, sheet) and the one that makes one (make) all go through here, so
// they accept and refuse exactly what the viewer does, with its messages. The private folder is
// registered with the InterruptGuard while it exists.
class PackageCheck {
public:
    // memory: the free memory to plan with; the system's when null. progress: where the
    // opening's lines go; nowhere when null.
    explicit PackageCheck(const QString& password = QString(), bool echo = false,
                          std::unique_ptr<FreeMemorySource> memory = nullptr,
                          ProgressSink* progress = nullptr);
    ~PackageCheck();

    // True when the package opens; message() then is empty, otherwise what the viewer shows.
    bool run(const QString& packagePath);

    bool ok() const { return m_ok; }
    const QString& message() const { return m_message; }
    const PackageOpening& opening() const { return m_opening; }
    const PictureSlots& slots() const { return m_slots; }

private:
    std::unique_ptr<FreeMemorySource> m_memory;
    NullProgressSink m_silent;
    ProgressSink& m_progress;
    TerminalPrompter m_prompter;
    OptionSettings m_options; // the viewer's defaults
    PackageOpening m_opening;
    PictureSlots m_slots;
    bool m_ok = false;
    QString m_message;
};
