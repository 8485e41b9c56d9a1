#include "Mp3Check.h"

#include <QFile>

namespace {

constexpr qsizetype kHeadBytes = 64 * 1024;

// Bit rates in kbit/s by [MPEG-1 ? 0 : 1][layer 1..3 - 1][index].
constexpr int kBitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
constexpr int kSampleRates[3] = {44100, 48000, 32000}; // MPEG-1; halved for 2, quartered for 2.5

// The size of an ID3v2 tag at the start, header and footer included; 0 without one.
qsizetype id3Size(const QByteArray& bytes) {
    if (bytes.size() < 10 || !bytes.startsWith("ID3"))
        return 0;
    qsizetype size = 0;
    for (int i = 6; i < 10; ++i) {
        const quint8 b = quint8(bytes[i]);
        if (b & 0x80)
            return -1; // not a synchsafe size: no tag at all
        size = (size << 7) | b;
    }
    return 10 + size + ((quint8(bytes[5]) & 0x10) ? 10 : 0);
}

} // namespace

int Mp3Check::frameLength(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + 4 > bytes.size())
        return 0;
    const quint8 b1 = quint8(bytes[at + 1]);
    const quint8 b2 = quint8(bytes[at + 2]);
    if (quint8(bytes[at]) != 0xFF || (b1 & 0xE0) != 0xE0)
        return 0;
    const int version = (b1 >> 3) & 3;     // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layer = 4 - ((b1 >> 1) & 3); // 4: reserved
    const int rateIndex = b2 >> 4;
    const int sampleIndex = (b2 >> 2) & 3;
    if (version == 1 || layer == 4 || sampleIndex == 3)
        return 0;
    const int kbits = kBitRates[version == 3 ? 0 : 1][layer - 1][rateIndex];
    if (kbits == 0)
        return 0; // free format or a forbidden index
    const int sampleRate = kSampleRates[sampleIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const int padding = (b2 >> 1) & 1;
    if (layer == 1)
        return (12 * kbits * 1000 / sampleRate + padding) * 4;
    const int perFrame = (layer == 3 && version != 3) ? 72 : 144;
    return perFrame * kbits * 1000 / sampleRate + padding;
}

QString Mp3Check::problem(const QByteArray& head) {
    const qsizetype tag = id3Size(head);
    if (tag < 0)
        return QStringLiteral("begins like an ID3 tag but is none");
    const QString where = tag > 0 ? QStringLiteral(" after its ID3 tag") : QString();
    if (tag > 0 && tag >= head.size())
        return QStringLiteral("holds no MPEG audio%1").arg(where);
    const int first = frameLength(head, tag);
    if (first == 0)
        return QStringLiteral("holds no MPEG audio frame%1").arg(where);
    if (tag + first + 4 <= head.size() && frameLength(head, tag + first) == 0)
        return QStringLiteral("holds no second MPEG audio frame where the first ends%1").arg(where);
    return QString();
}

QString Mp3Check::fileProblem(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read: %1").arg(file.errorString());
    QByteArray head = file.read(kHeadBytes);
    const qsizetype tag = id3Size(head);
    if (tag > 0 && tag + 8 * 1024 > head.size() && file.seek(tag)) // a large tag: read past it
        head = QByteArray(tag, '\0').replace(0, 10, head.left(10)) + file.read(kHeadBytes);
    return problem(head);
}
