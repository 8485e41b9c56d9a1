#pragma once

#include <string>
#include <string_view>

// Makes bytes from an archive safe to show: valid UTF-8 text passes unchanged, while control
// bytes (below 0x20, 0x7F, and the C1 controls U+0080 to U+009F) and bytes that are not part of
// a valid UTF-8 sequence are written as \xNN (two upper-case hex digits).
std::string displayName(std::string_view bytes);
