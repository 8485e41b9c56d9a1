// Packages made elsewhere, through the real main window: member names whose case differs from the
// descriptor's, pictures stored top-down, and pictures whose headers claim more than they hold.
#include "ViewerFixture.h"
#include "support/TestFiles.h"

#include <QtEndian>

namespace {

// A 24-bit BMP whose rows are stored top-down (negative height in its header).
QByteArray topDownBmp(const QImage& image) {
    const int width = image.width();
    const int height = image.height();
    const int stride = (width * 3 + 3) & ~3;
    QByteArray bytes(54 + stride * height, '\0');
    uchar* b = reinterpret_cast<uchar*>(bytes.data());
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian<quint32>(quint32(bytes.size()), b + 2);
    qToLittleEndian<quint32>(54, b + 10);
    qToLittleEndian<quint32>(40, b + 14);
    qToLittleEndian<qint32>(width, b + 18);
    qToLittleEndian<qint32>(-height, b + 22);
    qToLittleEndian<quint16>(1, b + 26);
    qToLittleEndian<quint16>(24, b + 28);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            uchar* p = b + 54 + y * stride + x * 3;
            p[0] = uchar(qBlue(pixel));
            p[1] = uchar(qGreen(pixel));
            p[2] = uchar(qRed(pixel));
        }
    return bytes;
}

class OpeningClaims : public Viewer {
protected:
    // Opens a package that is to be refused; the one message the user is shown.
    QString refusal(const TestPackage& p) {
        const QString path = folder.file(QStringLiteral("bad.360"));
        EXPECT_TRUE(p.write(path));
        prompter.messages.clear();
        window.sCommandFile = QLatin1Char('"') + path + QLatin1Char('"');
        window.bCommandFile = true;
        window.mnuOpen_Click();
        window.finishLoading();
        EXPECT_EQ(prompter.messages.size(), 1);
        return prompter.messages.value(0);
    }
};

TEST_F(OpeningClaims, NamesMatchWithoutRegardToCase) {
    // Stored as Teapot_H_0000.PNG ..., Info.ini and ENGINE.MP3; named teapot, .png, engine.mp3.
    TestPackage stored;
    stored.baseName = QStringLiteral("Teapot");
    stored.extension = QStringLiteral(".PNG");
    stored.upper = {{0, 2}, {18, 2}};
    stored.sound = QStringLiteral("ENGINE.MP3");
    stored.soundBytes = sampleSoundBytes();
    TestPackage named = stored;
    named.baseName = QStringLiteral("teapot");
    named.extension = QStringLiteral(".png");
    named.sound = QStringLiteral("engine.mp3");
    stored.withDescriptor = false;
    stored.extraMembers[QStringLiteral("Info.ini")] = named.descriptor();
    ASSERT_NO_FATAL_FAILURE(open(stored));
    EXPECT_EQ(window.imgArray->at(window.UpperRing[18])->picture()->size(), QSize(32, 24));
    EXPECT_EQ(shownMember(), QStringLiteral("Teapot_H_0000.PNG"));
    EXPECT_EQ(window.vSoundFile, QStringLiteral("ENGINE.MP3"));
    EXPECT_TRUE(window.bHasSound);

    // Two members whose names differ only by case are refused, and both are named.
    TestPackage twice;
    twice.extraMembers[QStringLiteral("OBJ_H_0003.png")] =
        twice.pictureBytes(QStringLiteral("obj_H_0003.png"));
    const QString message = refusal(twice);
    EXPECT_TRUE(message.contains(QStringLiteral("OBJ_H_0003.png"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("obj_H_0003.png"))) << message.toStdString();
    EXPECT_FALSE(window.imgMain->picture());
}

TEST_F(OpeningClaims, TopDownPicturesOpenAtTheirRealSize) {
    TestPackage package;
    package.extension = QStringLiteral(".bmp");
    package.pictureSize = QSize(40, 30);
    package.horizontal = 4;
    for (const QString& name : package.pictureNames()) {
        QImage image(package.pictureSize, QImage::Format_RGB32);
        image.fill(TestPackage::colourFor(name));
        image.setPixel(0, 29, qRgb(255, 255, 255)); // the bottom row is the last one
        package.omitMembers << name;
        package.extraMembers[name] = topDownBmp(image);
    }
    ASSERT_NO_FATAL_FAILURE(open(package));
    EXPECT_EQ(window.lPicWidth, 40 * 15);
    EXPECT_EQ(window.lPicHeight, 30 * 15);
    EXPECT_EQ(window.outerHeightTwips(), 30 * 15 + 1500);
    EXPECT_EQ(shownMember(), horizontal(0));
    EXPECT_EQ(window.imgMain->picture()->image().pixel(0, 29), qRgb(255, 255, 255));
}

TEST_F(OpeningClaims, AClaimedSizeNeverSizesTheWindow) {
    for (const bool decoded : {true, false}) {
        settings.bOptUseRam = decoded;
        prompter.messages.clear();
        ASSERT_NO_FATAL_FAILURE(open(TestPackage()));
        const QSize before = window.size();
        TestPackage claims; // a few hundred bytes that claim 60000 x 60000 pixels
        claims.extension = QStringLiteral(".jpg");
        const QString first = QStringLiteral("obj_H_0000.jpg");
        claims.omitMembers << first;
        claims.extraMembers[first] = withClaimedJpegSize(claims.pictureBytes(first), 60000, 60000);
        const QString message = refusal(claims);
        // Refused by the memory check at once, by the size claimed, before any pixel is decoded.
        EXPECT_TRUE(message.startsWith(
            QStringLiteral("Sorry, not enough space in memory to load these images.")))
            << message.toStdString();
        EXPECT_EQ(window.size(), before);
        EXPECT_FALSE(window.imgMain->picture());
    }
}

} // namespace
