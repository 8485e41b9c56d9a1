#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

// Builds ".360" packages for tests: generated pictures (each a different flat colour, so a test can
// tell which picture is shown), a descriptor, an optional sound track and any extra members,
// written as a real ZIP archive through libzip.
class TestPackage {
public:
    struct Ring {
        int column = 0;
        int rows = 0; // rows 2 .. rows + 1
    };

    QString baseName = QStringLiteral("obj");
    QString extension = QStringLiteral(".png");
    QSize pictureSize{32, 24};
    int horizontal = 36;
    std::vector<Ring> upper;
    std::vector<Ring> lower;
    QString sound;         // Sound= value; empty for none
    QByteArray soundBytes; // member content for `sound` (none when empty)
    QString soundRepeat = QStringLiteral("True");
    QString hotSpots = QStringLiteral("NumOfHotSpots=0"); // [NumOfHotSpots] section body onwards
    QMap<QString, QByteArray> extraMembers;               // name -> content, added as they stand
    QList<QString> omitMembers;                           // picture member names to leave out
    std::optional<QByteArray> descriptorOverride; // info.ini content instead of the generated one
    bool withDescriptor = true;                   // false: the package holds no info.ini
    bool storeUncompressed = false; // every member stored (method 0), as the package tool stores
                                    // pictures; else libzip's default, deflated

    // The descriptor text the package carries.
    QByteArray descriptor() const;

    // The colour of a picture member, by its name.
    static QColor colourFor(const QString& memberName);

    // The encoded bytes of the picture member `memberName`.
    QByteArray pictureBytes(const QString& memberName) const;

    // Every picture member name, in package order (horizontal, upper, lower).
    QStringList pictureNames() const;

    // Writes the package to path; false on failure.
    bool write(const QString& path) const;

    // Upper rings at every `step`-th column starting at 0, each with `rows` rows.
    static std::vector<Ring> evenRings(int horizontal, int step, int rows);
};

// The sample package's sound track, for tests that need real MP3 bytes.
QByteArray sampleSoundBytes();
