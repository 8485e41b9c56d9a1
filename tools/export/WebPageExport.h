#pragma once

#include <QSize>
#include <QString>

#include <map>
#include <vector>

class ProgressReporter;
class SpinSource;

// Writes the turnable web page of a package into `folder` (which exists and is empty):
// index.html, spin.js and spin.css (the page's own, built into the program), spin-data.js (the
// package's structure as a script, so that the page works from file:// too) and pictures/ (every
// picture the viewer reaches, as JPEG, fitted into longestSide; pictures/2x/ holds them at twice
// that size where the photos are large enough, for sharp screens and zooming in).
class WebPageExport {
public:
    static constexpr int kNoAutoplay = -1;
    static constexpr int kAutoplayOnce = 0;

    struct Options {
        int longestSide = 1000; // of the page's pictures in CSS pixels
        int quality = 88;
        double turnSeconds = 6.0;   // one turn of the play button's spin
        bool dragReverse = false;   // a drag right shows the next picture instead of the one before
        int autoplay = kNoAutoplay; // once, or every N seconds without a touch, while in view
        std::map<int, QString> hotspotLabels; // by hot spot number from 1
        int threads = 0;                      // pictures made at once; 0: one a core, at most 4
    };

    // The page's pictures' size for photos of `pictureSize`, and the larger set's (invalid when
    // the photos give less than a fifth more pixels across).
    struct Sizes {
        QSize page;
        QSize large;
    };
    static Sizes pictureSizes(QSize pictureSize, int longestSide);

    WebPageExport(const SpinSource& source, Options options);

    // False when a picture could not be made or written, or the export was interrupted; error()
    // says which.
    bool write(const QString& folder, ProgressReporter& progress);
    const QString& error() const { return m_error; }

    // The page's size in CSS pixels (the pictures' size) once written, and the larger pictures'
    // width (0 when there is no larger set).
    int width() const { return m_width; }
    int height() const { return m_height; }
    int largeWidth() const { return m_largeWidth; }

    // A snippet that shows the page inside another page, for a page folder named `folderName`
    // beside it; it keeps the page's proportions at any width.
    QString embedSnippet(const QString& folderName) const;

    // The file name a picture member gets in pictures/: its name with ".jpg" for its extension,
    // or "slot-<n>.jpg" when the name holds anything but letters, digits, '.', '_' and '-'.
    static QString pictureFileName(const QString& memberName, int slot);

private:
    bool planPictures(const QString& folder);
    bool writePictures(const QString& folder, const std::vector<int>& slots,
                       ProgressReporter& progress);
    bool writePicture(const QString& folder, int slot, QString& problem) const;
    QByteArray dataScript(const std::vector<int>& slots) const;
    QByteArray indexPage(const QString& firstPicture, int pictureCount) const;

    const SpinSource& m_source;
    Options m_options;
    QString m_error;
    int m_width = 0;
    int m_height = 0;
    int m_largeWidth = 0;
    int m_largeSide = 0; // the larger pictures' longest side
};
