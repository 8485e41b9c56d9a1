#pragma once

#include <QString>
#include <string>
#include <string_view>

// Makes bytes from an archive safe to show: valid UTF-8 text passes unchanged, while control
// bytes (below 0x20, 0x7F, and the C1 controls U+0080 to U+009F) and bytes that are not part of
// a valid UTF-8 sequence are written as \xNN (two upper-case hex digits).
std::string displayName(std::string_view bytes);

// The text itself when it holds at most `maxCodePoints` code points (it must be valid UTF-8, as
// displayName's result is); otherwise its beginning and its end with "..." between them, together
// `maxCodePoints` code points long, so that both the start of a long name and its end show.
std::string clippedInMiddle(std::string_view text, std::size_t maxCodePoints);

// displayName for a local file name or path (as its bytes on disk), for one-line messages.
QString displayFileName(const QString& name);
