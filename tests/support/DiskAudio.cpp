#include "support/DiskAudio.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <SDL2/SDL_mixer.h>
#include <cmath>
#include <cstring>

namespace {
constexpr int kDeadlineMs = 60'000; // only reached when something is broken
} // namespace

bool waitUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(kDeadlineMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(2);
    }
    return true;
}

DiskAudio::DiskAudio() : m_file(m_dir.file(QStringLiteral("output.raw"))) {
    m_savedDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_file));
    qputenv("SDL_DISKAUDIODELAY", "0");
}

DiskAudio::~DiskAudio() {
    qputenv("SDL_AUDIODRIVER", m_savedDriver);
    qunsetenv("SDL_DISKAUDIOFILE");
    qunsetenv("SDL_DISKAUDIODELAY");
}

qint64 DiskAudio::size() const {
    return QFileInfo(m_file).size();
}

qint64 DiskAudio::bytesPerSecond() const {
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || format != AUDIO_S16SYS)
        return 0;
    return qint64(frequency) * channels * 2;
}

bool DiskAudio::waitForSize(qint64 bytes) const {
    return waitUntil([&] { return size() >= bytes; });
}

double DiskAudio::rms(qint64 from, qint64 length) const {
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from & ~qint64(1)))
        return -1;
    const QByteArray bytes = file.read(length & ~qint64(1));
    if (bytes.isEmpty())
        return -1;
    double sum = 0;
    const qsizetype count = bytes.size() / 2;
    for (qsizetype i = 0; i < count; ++i) {
        qint16 sample = 0;
        std::memcpy(&sample, bytes.constData() + 2 * i, 2);
        sum += double(sample) * sample;
    }
    return std::sqrt(sum / double(count));
}

QString DiskAudio::sampleTrack() {
    return QStringLiteral(GYRO_SOURCE_DIR "/data/samples/sound/house_lo.mp3");
}
