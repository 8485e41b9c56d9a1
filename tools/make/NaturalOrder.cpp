#include "NaturalOrder.h"

#include <algorithm>

namespace {

// Compares the digit runs a[i..) and b[j..) by value; advances i and j past them.
int compareNumbers(const QString& a, qsizetype& i, const QString& b, qsizetype& j) {
    while (i < a.size() && a[i] == u'0' && i + 1 < a.size() && a[i + 1].isDigit())
        ++i;
    while (j < b.size() && b[j] == u'0' && j + 1 < b.size() && b[j + 1].isDigit())
        ++j;
    const qsizetype startA = i;
    const qsizetype startB = j;
    while (i < a.size() && a[i].isDigit())
        ++i;
    while (j < b.size() && b[j].isDigit())
        ++j;
    if (i - startA != j - startB) // no leading zeros left: the longer run is the larger number
        return i - startA < j - startB ? -1 : 1;
    return QStringView(a)
        .sliced(startA, i - startA)
        .compare(QStringView(b).sliced(startB, j - startB));
}

} // namespace

bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const int order = compareNumbers(a, i, b, j);
            if (order != 0)
                return order < 0;
            continue;
        }
        const char16_t x = a[i].toCaseFolded().unicode();
        const char16_t y = b[j].toCaseFolded().unicode();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return j < b.size(); // the shorter name first
    return a < b;
}

QStringList naturallySorted(QStringList names) {
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}
