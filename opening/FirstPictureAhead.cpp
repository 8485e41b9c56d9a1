#include "FirstPictureAhead.h"

#include <QtConcurrent/QtConcurrentRun>

FirstPictureAhead::FirstPictureAhead(PictureLoader::Job job, PictureLoader::Storage storage,
                                     qint64 most, JpegDecoder::ScaleFor scaleFor)
    : m_memberName(job.memberName), m_storage(storage) {
    m_read = QtConcurrent::run(
        [job = std::move(job), storage, most, asked = m_asked, scaleFor = std::move(scaleFor)] {
            const auto reserve = [most, asked](qint64 bytes) {
                qint64 seen = asked->load();
                while (bytes > seen && !asked->compare_exchange_weak(seen, bytes)) {
                }
                return bytes <= most;
            };
            return PictureLoader::read(job, storage, reserve, scaleFor);
        });
}

FirstPictureAhead::~FirstPictureAhead() {
    m_read.waitForFinished();
}

std::optional<PictureRead> FirstPictureAhead::take(const PictureLoader::Job& job,
                                                   PictureLoader::Storage storage, qint64 most) {
    const PictureRead read = m_read.result();
    if (!job.inPackage || job.memberName != m_memberName || storage != m_storage || !read.picture ||
        m_asked->load() > most)
        return std::nullopt;
    return read;
}
