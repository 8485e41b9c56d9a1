// JPEG pictures held as planes: what the plane conversion paints equals libjpeg-turbo's own
// decode to 32-bit pixels (default settings), bit for bit, whole and in parts, for every
// subsampling held this way, baseline and progressive, at sizes that leave partial blocks.
#include "pictures/JpegPlanes.h"
#include "pictures/JpegDecoder.h"
#include "support/JpegFiles.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

struct Kind {
    const char* name;
    JpegSampling sampling;
    bool progressive;
    double bytesPerPixel; // of the planes, for a size of whole blocks
};

const Kind kKinds[] = {
    {"4:2:0", JpegSampling::S420, false, 1.5},
    {"4:2:2", JpegSampling::S422, false, 2.0},
    {"4:4:4", JpegSampling::S444, false, 3.0},
    {"grey", JpegSampling::Grey, false, 1.0},
    {"4:2:0 progressive", JpegSampling::S420, true, 1.5},
};

// Narrow sizes take the library's unfiltered chroma path; odd ones leave partial blocks and MCUs.
const QSize kSizes[] = {{1, 1}, {2, 3},  {3, 2},   {4, 5},  {5, 4},
                        {6, 1}, {17, 9}, {37, 23}, {64, 48}};

JpegDecoder::Result decode(const QByteArray& bytes, JpegDecoder::Output output) {
    return JpegDecoder::decode(bytes, {}, output);
}

QImage convertWith(const JpegPlanes& held, const planes::Kernels& kernels) {
    QImage image(held.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        planes::convertRow(held.source(), y, 0, image.width(),
                           reinterpret_cast<std::uint32_t*>(image.scanLine(y)), kernels);
    return image;
}

TEST(JpegPlanes, ConvertExactlyAsTheLibraryDecodes) {
    for (const Kind& kind : kKinds) {
        for (const QSize size : kSizes) {
            SCOPED_TRACE(testing::Message()
                         << kind.name << ' ' << size.width() << 'x' << size.height());
            const QByteArray file =
                encodeJpegSampled(detailedPicture(size), kind.sampling, kind.progressive);
            const QImage reference = decode(file, JpegDecoder::Output::Pixels).image;
            const JpegDecoder::Result held = decode(file, JpegDecoder::Output::Planes);
            ASSERT_EQ(held.status, JpegDecoder::Status::Decoded);
            ASSERT_TRUE(held.planes);
            EXPECT_TRUE(held.image.isNull());
            EXPECT_EQ(held.planes->toImage(), reference);
            // Every path this processor has, whichever one the process chose.
            for (const planes::InstructionSet set : planes::kInstructionSets) {
                if (const planes::Kernels* kernels = planes::kernelsFor(set)) {
                    EXPECT_EQ(convertWith(*held.planes, *kernels), reference)
                        << planes::instructionSetName(set);
                }
            }

            // Parts converted one by one land on the same pixels.
            QImage frame(size, QImage::Format_RGB32);
            frame.fill(0);
            QRandomGenerator random(uint(size.width() * 131 + size.height()));
            for (int i = 0; i < 6; ++i) {
                const int x = random.bounded(size.width());
                const int y = random.bounded(size.height());
                const QRect part(x, y, random.bounded(1, size.width() - x + 1),
                                 random.bounded(1, size.height() - y + 1));
                held.planes->convert(part, frame);
                EXPECT_EQ(frame.copy(part), reference.copy(part));
            }
        }
    }
}

TEST(JpegPlanes, HoldOnlyTheSubsampledPlanes) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const QByteArray file = encodeJpegSampled(detailedPicture({64, 48}), kind.sampling);
        const auto planes = decode(file, JpegDecoder::Output::Planes).planes;
        ASSERT_TRUE(planes);
        EXPECT_EQ(planes->heldBytes(), qint64(64 * 48 * kind.bytesPerPixel));
    }
}

TEST(JpegPlanes, DamagedDataFailsAsThePixelDecodeDoes) {
    const QByteArray file = encodeJpegSampled(detailedPicture({64, 48}), JpegSampling::S420);
    for (const QByteArray& bad : {file.left(file.size() / 2), file.left(200)}) {
        const JpegDecoder::Result held = decode(bad, JpegDecoder::Output::Planes);
        EXPECT_EQ(held.status, JpegDecoder::Status::Failed);
        EXPECT_FALSE(held.planes);
        EXPECT_FALSE(held.error.isEmpty());
    }
}

} // namespace
