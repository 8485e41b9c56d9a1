#include "JpegSession.h"

// jpeglib.h must come first: jerror.h uses its types.
#include <jerror.h>

namespace {

[[noreturn]] void jumpBack(j_common_ptr info) {
    JpegSession& session = *reinterpret_cast<JpegSession*>(info->err);
    (*info->err->format_message)(info, session.message);
    std::longjmp(session.back, 1);
}

void onMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        jumpBack(info);
}

} // namespace

void JpegSession::attachErrors() {
    info.err = jpeg_std_error(&manager);
    manager.error_exit = jumpBack;
    manager.emit_message = onMessage;
}

QString JpegSession::problem() const {
    return message[0] ? QString::fromLocal8Bit(message)
                      : QStringLiteral("the picture data is damaged");
}
