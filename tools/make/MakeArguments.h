#pragma once

#include "PackagePlan.h"
#include "tools/photo/PhotoProcessor.h"
#include "tools/studio/StudioOptions.h"

#include <QString>
#include <QStringList>

// The command line of `make`, read: what the package holds, where it goes, what happens to the
// photos on the way. error says what is wrong with the line; help is set for --help.
struct MakeArguments {
    PackageRequest request;
    QString out;
    QString ringFolder;
    PhotoOptions photos;
    StudioOptions studio;
    bool dryRun = false;
    bool quiet = false;
    bool help = false;
    QString error;

    static MakeArguments parse(const QStringList& args);
    static const char* usage();
    static const char* helpText();
};
