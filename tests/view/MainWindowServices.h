#pragma once

// The services a main window is built with in the window tests: real ones, a scripted prompter for
// the modal questions, and free memory fixed at plenty.
#include "format/OptionSettings.h"
#include "opening/FixedFreeMemory.h"
#include "sound/MediaControl.h"
#include "support/ScriptedPrompter.h"
#include "toolkit/Program.h"

#include <QStringList>

struct MainWindowServices {
    ScriptedPrompter prompter;
    Program program{QStringList{}};
    OptionSettings settings;
    MediaControl media;
    FixedFreeMemory freeMemory{qint64(8) << 30};
};
