#pragma once

#include "format/Descriptor.h"
#include "format/PackageCounters.h"
#include "format/RingGeometry.h"
#include "opening/BackgroundLoading.h"
#include "opening/MemberLookup.h"
#include "opening/MemoryBudget.h"
#include "opening/PictureJobs.h"
#include "opening/PictureLoader.h"
#include "pictures/PictureSlots.h"
#include "pictures/ScreenLevel.h"

#include <QString>
#include <memory>
#include <optional>

class CImageInfo;
class EarlyPictures;
class FirstPictureAhead;
class FreeMemorySource;
class PackageStore;
class ProgressSink;
class Prompter;
struct OptionSettings;
class UsedMembers;

// The steps of opening a package that need no window, in the order the opening runs them:
// extraction, descriptor, layout checks, probe of the first picture, memory check and picture
// loading. The main window interleaves them with its own steps (clearing the view, sizing the
// window, showing the first picture, starting the sound); the package tool and the benchmarks run
// them one after the other (see runAll).
//
// Every step returns false when the opening must stop; problem() then holds the message the user
// is shown, naming the package and what is wrong. A step must only run when the previous one
// succeeded. The members are extracted into `folder`, a private folder of this opening (its path
// ends in "/"), except the pictures the package stores uncompressed, which are read from it where
// they lie (see setPicturesInPackage); each member file is deleted as soon as it is no longer
// needed, and the caller removes the folder itself when the opening fails or the package is closed.
//
// The package counters (packageCounters()) must be zeroed by the caller before extract().
class PackageOpening {
public:
    PackageOpening(ProgressSink& progress, Prompter& prompter, const FreeMemorySource& memory,
                   const OptionSettings& options);
    ~PackageOpening();
    PackageOpening(const PackageOpening&) = delete;
    PackageOpening& operator=(const PackageOpening&) = delete;

    // Extracts the members the package uses (UsedMembers; the others are skipped and counted)
    // into the folder and takes the package counters it produced. The
    // picture members written are read and decoded on the idle cores while the extraction goes on
    // (EarlyPictures), held as the options ask (pictures to be held compressed are decoded only to
    // check them); loadPictures takes those pictures, and a failed step or a memory check that
    // chooses the other storage releases them. Members are then found without regard to case.
    bool extract(const QString& packagePath, const QString& folder);

    // Picture members the package stores uncompressed and unencrypted are left in it, read where
    // they lie (see PackageStore), unless turned off before extracting: the package tool's walks,
    // which read each picture from its file, have them written.
    void setPicturesInPackage(bool on) { m_picturesInPackage = on; }
    // How many picture members the extraction left in the package.
    int picturesLeftInPackage() const { return int(m_leftInPackage.size()); }
    // Whether the extraction left the member named `memberName` in the package (case ignored).
    bool leftInPackage(const QString& memberName) const { return m_members.inPackage(memberName); }

    // Callers that walk the pictures one at a time themselves (the package tool's make check and
    // sheet) turn the early decodes off before extracting, so nothing is held meanwhile.
    void setEarlyDecoding(bool on) { m_earlyDecoding = on; }

    // The viewer tells, before extracting, how large a picture is shown when the package opens:
    // photos larger than that are held at a screen level (see ScreenLevel.h). Without it (the
    // package tool, the benchmarks unless asked) every picture is held whole.
    void setOpeningShown(OpeningShownSize shownSize);

    // The viewer, before it shows the opening's progress: opens the package as the store of its
    // pictures and surveys what it uses (UsedMembers), and as soon as the descriptor names the
    // first picture, when the package stores it uncompressed, begins reading it on another core
    // (see FirstPictureAhead). extract() of the same package goes on from there (it does this
    // itself otherwise); what is wrong with the package is said by extract() as ever.
    void readFirstPictureAhead(const QString& packagePath);

    // Reads the descriptor, deletes it, resolves the sound member's blank-free name, and checks
    // that the package holds a horizontal ring and vertical rings the viewer can index. Then every
    // file the loading will not read is deleted, so that once the pictures are held only the
    // sound member is left in the folder.
    bool readDescriptor();

    // Probes the header of horizontal picture 0 and then those of every other picture to be
    // loaded: a picture whose header gives a larger width or height than the first picture's is
    // refused at once, naming it, so that the memory check, which counts every picture at the
    // first one's size, counts each at least at its own declared size. Then decodes picture 0 once:
    // the pixel size taken is the decoded picture's, and a picture that does not decode, or is too
    // large, stops the opening here, before anything is sized by it.
    bool probeFirstPicture();

    // Decides whether the pictures fit in free memory and how they are held. The files of pictures
    // held at a screen level count only where the package does not store them uncompressed: the
    // others are read back from the package (see PackageStore).
    bool checkMemory();

    // Loads every picture into slots (horizontal ring, ring maps, upper rings, lower rings) with
    // the progress lines of each stage, deleting each member file once its picture is held.
    bool loadPictures(PictureSlots& slots);

    // For the viewer, in place of loadPictures: fills the ring maps and sizes the slots (empty),
    // and returns the loading of the pictures, not yet started (see BackgroundLoading). The
    // pictures decoded during the extraction go to it; this opening may end before it does.
    std::unique_ptr<BackgroundLoading> startLoading(PictureSlots& slots,
                                                    BackgroundLoading::Callbacks callbacks);

    // Runs every step above.
    bool runAll(const QString& packagePath, const QString& folder, PictureSlots& slots);

    // The message for the user when a step failed; empty otherwise.
    const QString& problem() const { return m_problem; }

    // The message for the user when the package titled `title` cannot be opened for `problem`.
    static QString refusal(const QString& title, const QString& problem);

    // What the steps found out.
    const QString& packageTitle() const { return m_title; }
    const QString& folder() const { return m_folder; }
    const PackageCounters& counters() const { return m_counters; }
    int extractionResult() const { return m_extractionResult; }
    int skippedMembers() const { return m_skippedMembers; } // members the package does not use
    const QString& extractionMessage() const { return m_extractionMessage; }
    const Descriptor& descriptor() const { return m_descriptor; }
    const QString& sImageExt() const { return m_descriptor.fileType; }
    const QString& soundShortName() const { return m_soundShortName; }
    int horizontalCount() const { return m_horizontal; }
    int upperCount() const { return m_upper; } // upper-ring pictures to load (0 when not loaded)
    int lowerCount() const { return m_lower; } // lower-ring pictures to load (0 when not loaded)
    const RingGeometry& upperGeometry() const { return m_upperGeometry; }
    const RingGeometry& lowerGeometry() const { return m_lowerGeometry; }
    int pictureWidth() const { return m_width; }
    int pictureHeight() const { return m_height; }
    // The first picture's screen level (1: held whole).
    int levelDenominator() const { return m_level; }
    const MemoryBudget& memory() const { return m_memory; }
    // The largest file a photo held at a screen level keeps in memory beside its level (see
    // checkMemoryBudget): none when every picture to be loaded is read back from the package.
    qint64 keptFileBytes() const;
    int earlyPictureCount() const; // pictures decoded during the extraction and taken by loading
    // The package as the store of the bytes of pictures held at a screen level, open while any of
    // them is; null when no picture can be read back from it (no screen levels, or no member
    // stored uncompressed).
    const std::shared_ptr<PackageStore>& store() const { return m_store; }

private:
    bool fail(const QString& problem);
    void dropEarlyPictures();
    QString memberPath(const QString& memberName) const;
    // True when the member is there to be read: extracted into the folder, or left in the package.
    bool memberExists(const QString& memberName) const;
    // Probes a picture's header: from its file, or from the package where its member lies.
    void probeHeader(CImageInfo& info, const PictureLoader::Job& job) const;
    bool removeUnused();
    bool checkRings(RingKind kind, int count, int ringCount, int rows, RingGeometry& geometry);
    // Reads the first picture; `asked` is set to the most bytes its decode asked for at once, or
    // 0 when the read was made by the early decodes.
    PictureRead readFirstPicture(const PictureLoader::Job& job, qint64& asked);
    // Without early decoding: starts reading the first picture the descriptor names, when the
    // package stores it uncompressed (see FirstPictureAhead).
    void readFirstAhead(const Descriptor& descriptor);
    // The early reads of the pictures as the extraction writes them, when they are asked for.
    void startEarlyPictures();
    // The storage the options ask for; the memory check may choose the other.
    PictureLoader::Storage askedStorage() const;
    // The extraction of what `used` names into the folder, and its counters and member lookup.
    bool runExtraction(const UsedMembers& used);
    // The most pixel bytes the memory check could ever give one picture.
    qint64 mostForOnePicture() const;
    // Refuses a first picture whose decode was left undone for want of memory: with the memory
    // check's refusal by the size its header claims, else as not fitting.
    bool refuseClaim(const QString& name, qint64 width, qint64 height);
    // True when the package stores every picture to be loaded uncompressed: photos held at a
    // screen level then read their files back from it instead of holding them.
    bool filesStayInPackage() const;
    // The loader's entries, in slot order, and the ring maps' starts.
    PictureJobs pictureJobs() const;
    // Sizes the slots and fills the ring maps; shows the loading's first progress line.
    void prepareSlots(PictureSlots& slots, const PictureJobs& jobs);
    PictureLoader::Storage loaderStorage() const;
    // Reads every other picture's header: a picture larger than the first is refused.
    bool probeOtherHeaders(qint32 width, qint32 height);

    ProgressSink& m_progress;
    Prompter& m_prompter;
    const FreeMemorySource& m_memorySource;
    const OptionSettings& m_options;

    QString m_problem;
    QString m_packagePath;
    QString m_title;
    QString m_folder;
    PackageCounters m_counters;
    int m_extractionResult = 0;
    int m_skippedMembers = 0;
    QString m_extractionMessage;
    MemberLookup m_members; // the extracted members, by name without regard to case
    Descriptor m_descriptor;
    QString m_soundShortName;
    int m_horizontal = 0;
    int m_upper = 0;
    int m_lower = 0;
    RingGeometry m_upperGeometry;
    RingGeometry m_lowerGeometry;
    int m_width = 0;
    int m_height = 0;
    int m_level = 1;
    qint64 m_levelBytes = 0; // what the first picture's screen level holds (0: none)
    JpegDecoder::ScaleFor m_scaleFor;
    MemoryBudget m_memory;
    // Free and recyclable memory as the extraction began.
    std::optional<qint64> m_freeBeforeExtraction;
    std::shared_ptr<PackageStore> m_store;
    std::unique_ptr<EarlyPictures> m_early;
    int m_earlyTaken = 0;
    bool m_earlyDecoding = true;
    // Without early decoding: the first picture as the probe read it from the package, held as the
    // options ask, for the loading to take when it holds its pictures the same way.
    struct FirstRead {
        QString path;
        PictureLoader::Storage storage;
        PictureRead read;
    };
    std::optional<FirstRead> m_firstRead;
    std::unique_ptr<FirstPictureAhead> m_ahead; // the first picture's read, begun before the probe
    // The survey of what m_surveyedPackage uses (readFirstPictureAhead()), until extract() takes
    // it.
    std::unique_ptr<UsedMembers> m_used;
    QString m_surveyedPackage;
    bool m_surveyPassed = false;
    bool m_picturesInPackage = true;
    QStringList m_leftInPackage; // the names the members left in the package would have had
};
