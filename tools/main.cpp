// gyrolook-pack: makes, creates, extracts, checks, probes and thumbnails ".360" packages and
// draws contact sheets of them from the command line.
#include "tools/shared/Commands.h"
#include "tools/shared/InterruptGuard.h"
#include "tools/shared/Leftovers.h"
#include "tools/shared/LibraryWarnings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>
#include <memory>

namespace {

const char* const kUsage = R"(Usage: gyrolook-pack COMMAND ARGS...

Commands:
  probe FILE...
      Reads each picture file's header and prints one line per file:
      "<ImageType> <Width> <Height> <Depth>" (ImageType 0 = not recognised, 1 = GIF, 2 = JPEG,
      3 = PNG, 4 = BMP), or "error: <description>" when the file cannot be read.
      Exit status 1 when any file could not be read.

  create OUT.360 DIR
      Writes a package holding every file of DIR under its bare name.

  extract PKG.360 DIR [--password TEXT] [--all] [--quiet]
      Extracts a package into DIR the way the viewer does and prints the result code, the
      package counters and the extraction's messages. Only the members the viewer keeps (the
      descriptor, the pictures it names, the sound) are written, and how many others were
      skipped is said; --all extracts every member. Exit status 0 when the result is 0.

  check PKG.360 [--json] [--password TEXT] [--free-memory BYTES] [--quiet]
      Opens a package the way the viewer does, without a window and without sound, and prints
      what the viewer would hold, or the message it would show, and warns of rings the viewer
      cannot reach in full. Exit status 0 when it opens.

  make OUT.360 --name NAME --ring DIR [--start K] [--reverse] [--up DIR]... [--down DIR]...
       [--sound FILE.mp3 [--repeat]] [--hotspot IMAGE:X1,Y1,X2,Y2]... [--fit PIXELS]
       [--quality Q] [--auto-rotate] [--strip] [--dry-run] [--quiet]
      Builds a package from folders of photos, taken in natural order of their names: --ring
      gives the horizontal ring, each --up and --down folder one row above or below it with a
      photo for every third position of the ring. --fit, --quality, --auto-rotate and --strip
      make the photos anew; without them they keep their bytes. Everything is checked before
      writing, and the result is opened as the viewer opens it. See make --help.

  sheet PKG.360 OUT.png [--width W] [--columns C] [--quiet]
      Opens a package as the viewer does and writes a contact sheet W pixels wide (default
      1600): C positions a line (default: all that fit), the upper rows on top, the horizontal
      ring, the lower rows below, with position numbers, row labels and the hot-spot rectangles.

  thumbnail PKG.360 OUT.png [SIZE]
      Writes the package's first horizontal picture, scaled to fit SIZE x SIZE pixels (default
      256), to OUT.png, reading only the descriptor and that picture. For file managers.
      Exit status 0 when OUT.png was written.

  export PKG.360 OUT [--size S] [--ring K] [--seconds T] [--loop N] [--turns N]
         [--drag-direction normal|reverse] [--hotspot-label N=TEXT] [--autoplay once|N]
         [--free-memory BYTES]
      Shares a package outside the viewer, the kind chosen by OUT: a new folder gets a web page
      that turns the object as the viewer does (pictures fitted into S CSS pixels, default 1000,
      and at twice that for sharp screens; a drag right shows the picture before unless
      --drag-direction reverse; hot spot N labelled TEXT; autoplay once or after N idle seconds);
      OUT.webp or OUT.gif an animated picture of one turn of a ring (ring K: 0 the horizontal
      ring, 1 the first row above, -1 the first row below; S default 640; one turn in T seconds,
      default 6; played N times, 0 for ever); OUT.mp4 (H.264) or OUT.webm (VP9) a video of N
      turns (--turns, default 1; S default 1280). The package is opened as the viewer opens it
      first; OUT is never overwritten and appears whole or not at all. What the frames made
      ahead and the encoder will hold is weighed against the free memory (or BYTES) before
      the first frame. Progress on standard error; the web page's embed snippet on standard
      output.

  Every command takes --help, and --verbose to let the libraries' own warnings (Qt's picture
  readers, for one) through to standard error. make, check, sheet and extract show their
  progress on standard error (--quiet to keep still); interrupted (SIGINT, SIGTERM, SIGHUP),
  they remove what they were writing, say "interrupted" and end with status 130, 143 or 129.
  make, sheet, export, extract and check first remove what runs that were killed left behind
  (hidden outputs beside OUT, work and private folders whose process is gone) and say so.

  --help
      Shows this text.

  --version
      Shows the version number.
)";

// The paragraph of the usage text about one command; empty for an unknown one.
QString commandHelp(const QString& command) {
    const QStringList paragraphs = QString::fromUtf8(kUsage).split(QStringLiteral("\n\n"));
    for (const QString& paragraph : paragraphs) {
        const QString text = paragraph.startsWith(QLatin1String("Commands:\n"))
                                 ? paragraph.mid(int(qstrlen("Commands:\n")))
                                 : paragraph;
        if (text.startsWith(QStringLiteral("  %1 ").arg(command)))
            return text + QLatin1Char('\n');
    }
    return QString();
}

// The contact sheet draws text, which needs a GUI application; it never shows a window, so it
// runs on the offscreen platform and needs no display. So does make's preview of a turntable shoot.
bool drawsPictures(int argc, char** argv) {
    bool drawing = argc > 1 && qstrcmp(argv[1], "sheet") == 0;
    for (int i = 2; argc > 1 && qstrcmp(argv[1], "make") == 0 && i < argc; ++i)
        drawing = drawing || qstrcmp(argv[i], "--preview") == 0;
    return drawing;
}

// What killed runs left behind goes first: hidden outputs beside OUT (make, export), work
// folders and private folders.
void sweepLeftoversOf(const QString& command, const QStringList& args) {
    static const QStringList writers = {"make", "sheet", "export", "extract", "check"};
    if (!writers.contains(command))
        return;
    const QString out = command == QLatin1String("make")     ? args.value(0)
                        : command == QLatin1String("export") ? args.value(1)
                                                             : QString();
    Leftovers::sweepAndSay(out.isEmpty() ? QString() : QFileInfo(out).absolutePath());
}

} // namespace

int main(int argc, char** argv) {
    // Before any thread starts, so that every thread leaves the stop signals to the guard.
    InterruptGuard::install();
    keepLibraryWarningsOff(argc, argv);
    const bool drawing = drawsPictures(argc, argv);
    if (drawing)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app(drawing ? new QGuiApplication(argc, argv)
                                                        : new QCoreApplication(argc, argv));
    QStringList args = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout);
    if (args.isEmpty() || args.first() == QLatin1String("--help") ||
        args.first() == QLatin1String("-h") || args.first() == QLatin1String("help")) {
        out << kUsage;
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        out << "gyrolook-pack " << GYRO_VERSION_TEXT << '\n';
        return 0;
    }
    const QString command = args.takeFirst();
    args.removeAll(QStringLiteral("--verbose"));
    const bool help =
        args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
    if (help && command != QLatin1String("make") && !commandHelp(command).isEmpty()) {
        out << commandHelp(command);
        return 0;
    }
    sweepLeftoversOf(command, args);
    if (command == QLatin1String("probe"))
        return runProbe(args);
    if (command == QLatin1String("create"))
        return runCreate(args);
    if (command == QLatin1String("extract"))
        return runExtract(args);
    if (command == QLatin1String("check"))
        return runCheck(args);
    if (command == QLatin1String("make"))
        return runMake(args);
    if (command == QLatin1String("sheet"))
        return runSheet(args);
    if (command == QLatin1String("thumbnail"))
        return runThumbnail(args);
    if (command == QLatin1String("export"))
        return runExport(args);
    QTextStream(stderr) << "gyrolook-pack: unknown command \"" << command
                        << "\"; see gyrolook-pack --help\n";
    return 2;
}
