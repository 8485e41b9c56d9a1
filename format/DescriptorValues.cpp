#include "DescriptorValues.h"

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

QStringView trimmed(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// A decimal number split into its parts.
struct DecimalText {
    bool negative = false;
    QStringView whole;    // digits before the point
    QStringView fraction; // digits after it
};

std::optional<DecimalText> splitDecimal(QStringView text) {
    text = trimmed(text);
    DecimalText result;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        result.negative = text.front() == u'-';
        text = text.sliced(1);
    }
    qsizetype i = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    result.whole = text.first(i);
    if (i < text.size() && text[i] == u'.') {
        const qsizetype start = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        result.fraction = text.sliced(start, i - start);
    }
    if (i != text.size() || (result.whole.isEmpty() && result.fraction.isEmpty()))
        return std::nullopt;
    return result;
}

bool allZero(QStringView digits) {
    for (const QChar c : digits) {
        if (c != u'0')
            return false;
    }
    return true;
}

} // namespace

std::optional<long long> parseWholeNumber(QStringView text) {
    const std::optional<DecimalText> decimal = splitDecimal(text);
    if (!decimal)
        return std::nullopt;
    long long value = 0;
    for (const QChar c : decimal->whole) {
        value = value * 10 + (c.unicode() - u'0');
        if (value >= WholeNumberLimit) {
            value = WholeNumberLimit;
            break;
        }
    }
    if (value < WholeNumberLimit && !decimal->fraction.isEmpty()) {
        const int firstDigit = decimal->fraction.front().unicode() - u'0';
        const bool restZero = allZero(decimal->fraction.sliced(1));
        if (firstDigit > 5 || (firstDigit == 5 && (!restZero || value % 2 != 0)))
            ++value;
    }
    return decimal->negative ? -value : value;
}

std::optional<bool> parseTruthValue(QStringView text) {
    const QStringView word = trimmed(text);
    if (word.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<DecimalText> decimal = splitDecimal(word);
    if (!decimal)
        return std::nullopt;
    return !(allZero(decimal->whole) && allZero(decimal->fraction));
}
