// Reads the input as a package descriptor, then asks it for sections and keys taken from the input
// itself. Checks what every lookup promises: bounded values without line ends or outer blanks,
// names matched without regard to ASCII case, hot-spot tables that answer any index.
#include "FuzzSupport.h"

#include "format/Descriptor.h"
#include "format/IniFile.h"

#include <QByteArrayList>

namespace {

QString asciiUpper(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return result;
}

void checkValue(const QString& value) {
    if (value.contains(u'\n') || value.contains(u'\r'))
        fuzz::fail("a value holds a line end");
    if (!value.isEmpty() && (value.front() == u' ' || value.front() == u'\t' ||
                             value.back() == u' ' || value.back() == u'\t'))
        fuzz::fail("a value keeps an outer blank");
    if (value.toUcs4().size() > IniFile::MaxValueLength)
        fuzz::fail("a value is longer than the limit");
}

void lookUp(const IniFile& ini, const QString& section, const QString& key) {
    const QString value = ini.value(section, key);
    checkValue(value);
    if (ini.value(asciiUpper(section), asciiUpper(key)) != value)
        fuzz::fail("lookup depends on ASCII case");
}

void checkHotSpots(const HotSpotTables& spots) {
    const int count = spots.iHotSpots();
    for (int i = -1; i <= count + 1; ++i) {
        const int images = spots.HotSpotImages(i);
        if (images < 0 || images > HotSpotTables::MaxImageNumber)
            fuzz::fail("image list length out of range");
        for (int j = -1; j <= images + 1; ++j) {
            const int n = spots.HotSpotImageNum(i, j);
            if (n < 0 || n > HotSpotTables::MaxImageNumber)
                fuzz::fail("image number out of range");
            (void)spots.rectangle(i, n);
        }
        (void)spots.rectangle(i, -1);
        (void)spots.rectangle(i, HotSpotTables::MaxImageNumber + 1);
        (void)spots.HotSpotX1(i, HotSpotTables::MaxImageNumber + 1);
        (void)spots.HotSpotY2(i, -1);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const IniFile ini = IniFile::fromBytes(bytes);
    if (!ini.isPresent())
        fuzz::fail("bytes gave no file");

    const Descriptor descriptor = readDescriptor(ini);
    if (!descriptor.present)
        fuzz::fail("a read descriptor is not present");
    for (const QString* value : {&descriptor.fileName, &descriptor.fileType, &descriptor.sound})
        checkValue(*value);
    checkHotSpots(descriptor.hotSpots);

    // Pieces of the input as names: whole lines, the text before and after '=', and the text
    // inside brackets, each decoded both ways the reader may decode a file.
    const QByteArrayList lines = bytes.split('\n');
    int asked = 0;
    for (const QByteArray& line : lines) {
        if (++asked > 64)
            break;
        const qsizetype equals = line.indexOf('=');
        const QByteArray before = equals < 0 ? line : line.left(equals);
        const QByteArray after = equals < 0 ? QByteArray() : line.mid(equals + 1);
        const qsizetype close = line.indexOf(']');
        const QByteArray inside =
            line.startsWith('[') ? line.mid(1, close < 0 ? -1 : close - 1) : line;
        for (const QByteArray& section : {inside, before, line}) {
            for (const QByteArray& key : {before, after, line}) {
                lookUp(ini, QString::fromUtf8(section), QString::fromUtf8(key));
                lookUp(ini, QString::fromLatin1(section), QString::fromLatin1(key));
            }
        }
    }
    return 0;
}
