#pragma once

#include <cstddef>
#include <string>

// What a file that is no ZIP archive is, as its first bytes tell: "an MP4 video", "a JPEG
// picture" and the like, for the message that refuses it as a package. Empty when the bytes match
// none of the kinds people are likely to give the package's ending by mistake (videos of
// 360-degree cameras, pictures, other archives, documents).
std::string foreignFileKind(const unsigned char* head, std::size_t size);

// How many first bytes foreignFileKind looks at.
constexpr std::size_t kForeignFileHead = 16;
