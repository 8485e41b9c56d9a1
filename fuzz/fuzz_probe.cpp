// Probes the input as a picture file: the header reader must give a known kind and sizes that fit
// its fields, or an error of its own type, for any bytes.
#include "FuzzSupport.h"

#include "format/GyroError.h"
#include "imageinfo/CImageInfo.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = fuzz::scratchBase("fuzz_probe") + QStringLiteral("/picture");
    fuzz::writeBytes(path, data, size);

    CImageInfo info;
    try {
        info.ReadImageInfo(path);
    } catch (const GyroError& error) {
        if (error.number() != ErrorNumber::Overflow)
            fuzz::fail("unexpected error", error.description());
        return 0;
    }
    if (info.ImageType() < CImageInfo::None || info.ImageType() > CImageInfo::Bmp)
        fuzz::fail("kind out of range", QString::number(info.ImageType()));
    if (info.Width() < 0 || info.Width() > 65535 || info.Height() < 0 || info.Height() > 65535)
        fuzz::fail("size out of range");
    if (info.ImageType() == CImageInfo::None &&
        (info.Width() != 0 || info.Height() != 0 || info.Depth() != 0))
        fuzz::fail("an unknown kind with a size");
    return 0;
}
