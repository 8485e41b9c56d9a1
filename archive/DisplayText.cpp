#include "DisplayText.h"

#include <QFile>

#include <vector>

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

// Length of the valid UTF-8 sequence starting at text[i], or 0 when none starts there.
std::size_t sequenceLength(std::string_view text, std::size_t i, char32_t& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    codePoint = value;
    return length;
}

} // namespace

std::string displayName(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t codePoint = 0;
        const std::size_t length = sequenceLength(bytes, i, codePoint);
        const bool control =
            codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0x80 && codePoint <= 0x9F);
        if (length == 0 || control) {
            const std::size_t count = length == 0 ? 1 : length;
            for (std::size_t k = 0; k < count; ++k)
                appendEscaped(out, static_cast<unsigned char>(bytes[i + k]));
            i += count;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string clippedInMiddle(std::string_view text, std::size_t maxCodePoints) {
    // Offsets of the code points' first bytes.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    if (starts.size() <= maxCodePoints || maxCodePoints < 5)
        return std::string(text);
    const std::size_t kept = maxCodePoints - 3;
    const std::size_t head = (kept + 1) / 2;
    const std::size_t tail = kept - head;
    std::string out(text.substr(0, starts[head]));
    out += "...";
    out.append(text.substr(starts[starts.size() - tail]));
    return out;
}

QString displayFileName(const QString& name) {
    return QString::fromStdString(displayName(QFile::encodeName(name).toStdString()));
}
