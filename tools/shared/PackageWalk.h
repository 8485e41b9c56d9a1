#pragma once

#include "WalkMemory.h"

#include "format/MemberNames.h"
#include "format/Navigation.h"
#include "format/OptionSettings.h"
#include "opening/FreeMemorySource.h"
#include "opening/PackageOpening.h"
#include "opening/PictureLoader.h"
#include "opening/PrivateFolder.h"
#include "pictures/JpegDecoder.h"
#include "pictures/ScreenLevel.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class ProgressReporter;
class TerminalPrompter;

// One picture of an opened package: its member, the extracted file (or where it would be when
// the member was left in the package), and its place.
struct WalkPicture {
    QString member;
    QString path;
    bool inPackage = false; // read from the package where it lies; nothing at `path`
    int ring = 0;           // 0 horizontal, 1 upper, 2 lower
    int column = 0;
    int row = navigation::kHorizontalRingValue; // 1 the horizontal ring, 2 ... the vertical rings
};

// Opens a package the way the viewer does (extraction, descriptor, ring checks, every picture's
// header, the first picture decoded once), but instead of holding every picture it hands them out
// one at a time: each is decoded (a JPEG at the DCT scale that covers the size asked for), given
// to the caller and its extracted file deleted. Memory stays at a few pictures however large the
// package; check, sheet, export and the check after make all go this way. As in the viewer, the
// pictures the package stores uncompressed (and unencrypted) are not extracted: their bytes are
// read from the package where they lie, each read checked against the member's CRC-32.
//
// Memory is checked for what the walk holds: the first picture decoded once, then one picture for
// each decode in flight (as many in flight as the cores and the free memory allow), not the whole
// package as the viewer holds it. judgeAsViewer() (check) asks for the viewer's judgement instead.
//
// The private folder it extracts into is registered with the InterruptGuard and removed with this
// object.
class PackageWalk {
public:
    // memory: the free memory to plan with; the system's when null. password: the answer to a
    // password prompt (none when empty), echo: whether prompts are shown.
    explicit PackageWalk(ProgressReporter& progress,
                         std::unique_ptr<FreeMemorySource> memory = nullptr,
                         const QString& password = QString(), bool echo = false);
    ~PackageWalk();

    // Before open(): the package is judged as the viewer judges it on a screen where a picture
    // is shown as `shown` says: photos larger are held at a screen level, the first picture gets
    // the viewer's share of the free memory, and the viewer's memory check runs after the probe.
    void judgeAsViewer(OpeningShownSize shown);

    // False with message() set when the package cannot be opened; opening() then tells what the
    // steps found before.
    bool open(const QString& packagePath);
    const QString& message() const { return m_message; }
    const PackageOpening& opening() const { return *m_opening; }
    // In the order the viewer loads them: horizontal, upper rings, lower rings.
    const std::vector<WalkPicture>& pictures() const { return m_pictures; }
    // The viewer's ring map of ring 1 (upper) or 2 (lower): for each horizontal position 0 ... N,
    // the slot of the row-2 picture of the ring branching off there, or navigation::kNoRing
    // (slots as PictureSlots numbers them).
    std::vector<std::uint8_t> ringMap(int ring) const;

    // The bytes one decode of a picture at least `atLeast` large holds (its file's bytes read
    // into memory and the decoded pixels).
    qint64 bytesPerDecode(QSize atLeast) const;

    // The bytes of a picture's file, read as the viewer's loader reads them: from the package
    // where it lies (a checksum mismatch refused in the extraction's words), else from its file.
    // False with `problem` naming the member when they cannot be read. Any thread.
    bool pictureBytes(const WalkPicture& picture, QByteArray& bytes, QString& problem) const;
    // At most `most` of the first bytes of a picture's file (unchecked); empty when unreadable.
    QByteArray pictureHead(const WalkPicture& picture, qint64 most) const;

    // Decodes every picture, at least `atLeast` large (invalid: at the smallest DCT scale), on as
    // many cores as the free memory less `besides` (what the caller holds meanwhile) allows, and
    // calls `use` for each (from any thread, never twice at once for one picture). Stops at the
    // first picture that does not decode and returns the viewer's kind of message for it, or
    // refuses at once when not even one decode fits; empty when all decoded.
    using Use = std::function<void(std::size_t index, const QImage& image)>;
    QString decodeAll(QSize atLeast, const Use& use, qint64 besides = 0);

    // Reads every picture as the viewer's loader reads it (its decode at the screen level
    // `scaleFor` gives, of at most `level` pixels, to its planes, with its messages), on as many
    // cores as the free memory allows, and lets each go again. Empty when all were read.
    QString readAsViewer(const JpegDecoder::ScaleFor& scaleFor, QSize level);

private:
    bool openSteps(const QString& packagePath);
    // The walk's own memory check of the first picture's header: decoded once, it must fit.
    bool firstPictureFits();
    void listPictures();
    PictureLoader::Job loaderJob(const WalkPicture& picture) const;
    // Runs `step` on every picture (its message when it fails, else empty), deleting each file
    // after it, on as many threads as decodes of `each` bytes fit beside `besides`.
    QString forEach(qint64 each, qint64 besides, const std::function<QString(std::size_t)>& step);

    ProgressReporter& m_progress;
    std::unique_ptr<TerminalPrompter> m_prompter;
    std::unique_ptr<FreeMemorySource> m_memory;
    WalkMemory m_share; // what the opening plans with, unless judged as the viewer
    OptionSettings m_options;
    OpeningShownSize m_shown;
    bool m_asViewer = false;
    std::unique_ptr<PackageOpening> m_opening;
    std::unique_ptr<PrivateFolder> m_folder;
    std::vector<WalkPicture> m_pictures;
    QString m_message;
};
