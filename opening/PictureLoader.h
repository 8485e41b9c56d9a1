#pragma once

#include "format/ProgressSink.h"
#include "pictures/JpegDecoder.h"
#include "pictures/Picture.h"

#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class EarlyPictures;
class FileBytes;

// What reading one extracted picture file gave: the picture, or why there is none.
struct PictureRead {
    PicturePtr picture;
    QString problem;       // names the member when there is no picture and the read was done
    bool declined = false; // left undone: the memory it was allowed could not hold the picture
};

// Loads the pictures of an opening from their extracted files, on every core.
//
// The caller lists the pictures in loading order; each entry names its file, the slot it fills
// and the progress line to show before and/or after it. Files are read and decoded by worker
// threads; the progress lines, the slot filling and the deletion of each file happen on the
// calling thread in list order, each file deleted as soon as its picture is held.
class PictureLoader {
public:
    enum class Storage { Decoded, Compressed };

    // `scaleFor` gives the screen level of each JPEG picture from its size (see ScreenLevel.h):
    // pictures held decoded are held at that level beside their file's bytes, those held
    // compressed are decoded at it when shown. Without one, every picture is held whole.
    explicit PictureLoader(JpegDecoder::ScaleFor scaleFor = {}) : m_scaleFor(std::move(scaleFor)) {}

    struct Job {
        QString path;          // the extracted member file
        QString memberName;    // its name, for messages
        int slot = 0;          // where the picture goes
        QString messageBefore; // progress line shown before the picture is held (may be empty)
        QString messageAfter;  // progress line shown after it is held (may be empty)
        // The member's bytes as the package stores them, when it stores them uncompressed: a
        // picture held at a screen level reads its file's bytes back from there (see readBack()).
        std::shared_ptr<const FileBytes> stored;
        // The member was left in the package (nothing at `path`): its bytes are read from
        // `stored` alone, checked once against `checksum` (its CRC-32) when the loader reads
        // them, and the picture reads them back from there whenever it needs them again.
        bool inPackage = false;
        std::uint32_t checksum = 0;
    };

    struct Outcome {
        bool ok = true;
        QString problem; // what went wrong, naming the member, when !ok
        qint64 heldBytes = 0;
    };

    // byteBudget bounds the memory the held pictures may take together. A picture to be held
    // decoded that would pass it is held compressed instead; a picture that passes it all the same
    // stops the loading. On failure every file of the list that is still there is deleted and
    // no slot keeps a picture of this load.
    // With `early`, a picture it read ahead is taken from it instead of being read again (when it
    // read for the same storage).
    Outcome load(const std::vector<Job>& jobs, Storage storage, qint64 byteBudget,
                 ProgressSink& progress, std::vector<PicturePtr>& slotPictures,
                 EarlyPictures* early = nullptr) const;

    // Reads one picture file and holds it as `storage` says; safe on any thread. A picture held
    // compressed is decoded all the same (and its pixels dropped), so a file that does not decode
    // gives the same problem with either storage. With `reserve`, a picture held decoded is first
    // sized and its pixel bytes asked for; a refusal leaves the read undone (declined).
    // `scaleFor` as for the constructor.
    static PictureRead read(const QString& path, const QString& memberName, Storage storage,
                            const JpegDecoder::Reserve& reserve = {},
                            const JpegDecoder::ScaleFor& scaleFor = {});

    // Decodes the bytes of a picture file; safe on any thread. `reserve` and `scaleFor` as for
    // read().
    static PictureRead decode(const QByteArray& bytes, const QString& memberName,
                              const JpegDecoder::Reserve& reserve = {},
                              const JpegDecoder::ScaleFor& scaleFor = {});

    // read() of a job's picture: from the package when its member was left there (its checksum
    // checked: a mismatch gives the extraction's own words for it), else from its file.
    static PictureRead read(const Job& job, Storage storage, const JpegDecoder::Reserve& reserve,
                            const JpegDecoder::ScaleFor& scaleFor);

    // The bytes of a job's picture file as read() reads them: from the package when its member was
    // left there (its checksum checked), else from its file. False with `problem` naming the
    // member.
    static bool readBytes(const Job& job, QByteArray& bytes, QString& problem);

    // read() of a picture whose pixels, decoded, take at most `budget` bytes; a larger one is left
    // undone (declined) before any of its pixel memory is taken.
    static PictureRead readWithin(const Job& job, Storage storage, qint64 budget,
                                  const JpegDecoder::ScaleFor& scaleFor);

    // The picture of `read` with its file's bytes read back from the package instead of held,
    // when it holds a screen level decoded, the job has the member's stored bytes and they are
    // the very bytes the picture was decoded from; otherwise `read` as it is.
    static PictureRead readBack(PictureRead read, const Job& job);

    // What a read becomes once the loading holds `heldBytes` of `budget` already: a read left
    // undone is read again within the budget, a decoded picture that would pass the budget is held
    // as its file's bytes instead, and one that passes it all the same is refused as not fitting.
    static PictureRead settle(PictureRead read, const Job& job, Storage storage, qint64 heldBytes,
                              qint64 budget, const JpegDecoder::ScaleFor& scaleFor);

private:
    // Holds the bytes read as `storage` says (a picture held compressed is decoded once to check).
    static PictureRead hold(const QByteArray& bytes, const QString& memberName, Storage storage,
                            const JpegDecoder::Reserve& reserve,
                            const JpegDecoder::ScaleFor& scaleFor);

    JpegDecoder::ScaleFor m_scaleFor;
};
