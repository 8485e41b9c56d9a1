#include "SerialJpegDecoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back into
// runDecode. Warnings (corrupt but decodable data) are kept quiet.
// Not pictures/JpegDecoder's session on purpose: this is the reference the opening is measured
// against, a plain decoder with none of the product's choices (its pixel pool, its planes, its
// refusal of truncated data), so a change to those shows in the ratio instead of in both sides.
struct Session {
    jpeg_decompress_struct info;
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX] = {};
    bool tooLarge = false;
};

void jumpBack(j_common_ptr info) {
    // The error manager is the session's, so the session is found from it.
    Session* session =
        reinterpret_cast<Session*>(reinterpret_cast<char*>(info->err) - offsetof(Session, manager));
    (*info->err->format_message)(info, session->message);
    std::longjmp(session->back, 1);
}

void stayQuiet(j_common_ptr) {}

// Decodes into `frame`. Every object this function changes between setjmp and a jump back lives
// outside its frame, and nothing with a destructor is alive here across a libjpeg call.
bool runDecode(Session& session, const unsigned char* data, unsigned long size,
               std::vector<unsigned char>& frame, std::vector<unsigned char*>& rows,
               qint64 mostPixels) {
    jpeg_decompress_struct& info = session.info;
    info.err = jpeg_std_error(&session.manager);
    session.manager.error_exit = jumpBack;
    session.manager.output_message = stayQuiet;
    jpeg_create_decompress(&info);
    if (setjmp(session.back))
        return false;
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(&info);
    const qint64 pixels = qint64(info.output_width) * qint64(info.output_height);
    if (pixels <= 0 || pixels > mostPixels) {
        session.tooLarge = true;
        return false;
    }
    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t(info.output_width) * 4;
    if (frame.size() < stride * info.output_height)
        frame.resize(stride * info.output_height);
    rows.resize(info.output_height);
    for (JDIMENSION y = 0; y < info.output_height; ++y)
        rows[y] = frame.data() + stride * y;
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, rows.data() + info.output_scanline,
                            info.output_height - info.output_scanline);
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

SerialJpegDecoder::Result SerialJpegDecoder::decode(const QByteArray& bytes) {
    Result result;
    if (bytes.isEmpty()) {
        result.error = QStringLiteral("no data");
        return result;
    }
    Session session;
    result.ok = runDecode(session, reinterpret_cast<const unsigned char*>(bytes.constData()),
                          static_cast<unsigned long>(bytes.size()), m_frame, m_rows, kMostPixels);
    if (result.ok) {
        result.width = int(session.info.output_width);
        result.height = int(session.info.output_height);
    } else if (session.tooLarge) {
        result.error = QStringLiteral("picture of %1 x %2 pixels refused")
                           .arg(session.info.output_width)
                           .arg(session.info.output_height);
    } else {
        result.error = QString::fromLocal8Bit(session.message);
    }
    jpeg_destroy_decompress(&session.info);
    return result;
}
