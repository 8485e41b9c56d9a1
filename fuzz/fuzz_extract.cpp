// Extracts the input as a package into a fresh folder and checks that nothing appeared beside
// that folder, that no link, special file or half-written member was left inside it, and that
// the result and the message agree.
//
// The input's size picks the variant, so that a seed padded by a few bytes (an archive comment)
// reaches each one: bit 0 keeps the members' folders, bit 1 turns blanks into underscores, bit 2
// compares names without regard to case, bit 3 extracts twice into the same folder (the second
// time asking before every replacement, answered Cancel), bit 4 answers the password question.
#include "FuzzSupport.h"

#include "archive/CGUnzipFiles.h"
#include "format/GyroError.h"
#include "format/PackageCounters.h"
#include "format/ProgressSink.h"
#include "opening/PrivateFolder.h"

#include <QDirIterator>
#include <QFileInfo>
#include <unistd.h>

namespace {

class PasswordPrompter : public fuzz::CancelPrompter {
public:
    QString inputBox(const QString&, const QString&) override { return QStringLiteral("fuzz"); }
};

int extract(const QString& package, const QString& out, std::size_t variant, bool again) {
    NullProgressSink progress;
    fuzz::CancelPrompter cancel;
    PasswordPrompter password;
    Prompter& prompter = (variant & 16) ? static_cast<Prompter&>(password) : cancel;
    CGUnzipFiles request(progress, prompter);
    request.setZipFileName(package);
    request.setExtractDir(out + QLatin1Char('/'));
    request.setHonorDirectories(variant & 1);
    request.setSpaceToUnderScore(variant & 2);
    request.setCaseSensitive(!(variant & 4));
    request.setPromptOverwrite(again);
    int result = 0;
    try {
        result = request.Unzip(QString(), QString());
    } catch (const GyroError& error) {
        fuzz::fail("extraction raised", error.description());
    }
    if (result != 0 && request.GetLastMessage().trimmed().isEmpty())
        fuzz::fail("a failed extraction says nothing, code", QString::number(result));
    return result;
}

// Everything below out must be a plain folder or a plain file, none of them a leftover of a
// member that failed.
void checkTree(const QString& out) {
    const QString leftover = QStringLiteral(".unzip-%1-").arg(::getpid());
    QDirIterator it(out, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink())
            fuzz::fail("a link was created:", info.filePath());
        if (!info.isDir() && !info.isFile())
            fuzz::fail("a special file was created:", info.filePath());
        if (info.fileName().startsWith(leftover))
            fuzz::fail("a temporary file was left:", info.filePath());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString base = fuzz::scratchBase("fuzz_extract");
    // The run folder is a private folder of the viewer's own kind, so that its removal is the
    // viewer's: it works on the names' bytes (members whose names are not UTF-8 included) and
    // never follows a link.
    PrivateFolder run(base);
    if (!run.isValid())
        fuzz::fail("cannot create a run folder:", run.errorString());
    const QString out = run.path() + QStringLiteral("out");
    const QString package = run.path() + QStringLiteral("x.360");
    if (!QDir().mkpath(out))
        fuzz::fail("cannot create", out);
    fuzz::writeBytes(package, data, size);

    packageCounters().reset();
    extract(package, out, size, false);
    if (size & 8)
        extract(package, out, size, true);
    checkTree(out);

    const QStringList expected{QStringLiteral("out"), QStringLiteral("x.360")};
    if (fuzz::entriesOf(run.path()) != expected)
        fuzz::fail("something appeared beside the extraction folder:",
                   fuzz::entriesOf(run.path()).join(QLatin1Char(' ')));
    const QString runName = QFileInfo(run.path().chopped(1)).fileName();
    if (fuzz::entriesOf(base) != QStringList{runName})
        fuzz::fail("something appeared outside the run folder:",
                   fuzz::entriesOf(base).join(QLatin1Char(' ')));
    if (!run.remove() || !fuzz::entriesOf(base).isEmpty())
        fuzz::fail("cannot remove", runName);
    return 0;
}
