#pragma once

#include "format/MemberNames.h"
#include "format/Navigation.h"
#include "format/OptionSettings.h"
#include "opening/PackageOpening.h"
#include "opening/PrivateFolder.h"
#include "opening/SystemFreeMemory.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class ProgressReporter;
class TerminalPrompter;

// One picture of an opened package: its member, the extracted file, and its place.
struct WalkPicture {
    QString member;
    QString path;
    int ring = 0; // 0 horizontal, 1 upper, 2 lower
    int column = 0;
    int row = navigation::kHorizontalRingValue; // 1 the horizontal ring, 2 ... the vertical rings
};

// Opens a package the way the viewer does (extraction, descriptor, ring checks, the first picture
// decoded once), but instead of holding every picture it hands them out one at a time: each is
// decoded (a JPEG at the DCT scale that covers the size asked for), given to the caller and its
// extracted file deleted. Memory stays at a few pictures however large the package; sheet and the
// check after make go this way, check itself holds the pictures as the viewer does.
//
// The private folder it extracts into is registered with the InterruptGuard and removed with this
// object.
class PackageWalk {
public:
    explicit PackageWalk(ProgressReporter& progress);
    ~PackageWalk();

    // False with message() set when the viewer would not open the package.
    bool open(const QString& packagePath);
    const QString& message() const { return m_message; }
    const PackageOpening& opening() const { return *m_opening; }
    // In the order the viewer loads them: horizontal, upper rings, lower rings.
    const std::vector<WalkPicture>& pictures() const { return m_pictures; }

    // Decodes every picture, at least `atLeast` large (invalid: at the smallest DCT scale), on the
    // idle cores, and calls `use` for each (from any thread, never twice at once for one
    // picture). Stops at the first picture that does not decode and returns the viewer's kind of
    // message for it; empty when all decoded.
    using Use = std::function<void(std::size_t index, const QImage& image)>;
    QString decodeAll(QSize atLeast, const Use& use);

private:
    void listPictures();

    ProgressReporter& m_progress;
    std::unique_ptr<TerminalPrompter> m_prompter;
    SystemFreeMemory m_memory; // sizes the first picture's check; no early decodes are made
    OptionSettings m_options;
    std::unique_ptr<PackageOpening> m_opening;
    std::unique_ptr<PrivateFolder> m_folder;
    std::vector<WalkPicture> m_pictures;
    QString m_message;
};
