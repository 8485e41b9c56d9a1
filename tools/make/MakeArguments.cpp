#include "MakeArguments.h"

namespace {

// A whole number from lowest to highest for `option`; sets error otherwise.
int number(const QString& option, const QString& text, int lowest, int highest, QString& error) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < lowest || value > highest)
        error = QStringLiteral("%1 takes a whole number from %2 to %3, not \"%4\"")
                    .arg(option)
                    .arg(lowest)
                    .arg(highest)
                    .arg(text);
    return value;
}

// Options without a value; false when `arg` is none of them.
bool flag(const QString& arg, MakeArguments& parsed) {
    if (arg == QLatin1String("--reverse"))
        parsed.request.reverse = true;
    else if (arg == QLatin1String("--repeat"))
        parsed.request.soundRepeat = true;
    else if (arg == QLatin1String("--dry-run"))
        parsed.dryRun = true;
    else if (arg == QLatin1String("--quiet"))
        parsed.quiet = true;
    else if (arg == QLatin1String("--auto-rotate"))
        parsed.photos.autoRotate = true;
    else if (arg == QLatin1String("--ignore-orientation"))
        parsed.photos.ignoreOrientation = true;
    else if (arg == QLatin1String("--strip"))
        parsed.photos.strip = true;
    else if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
        parsed.help = true;
    else if (!parsed.studio.takeFlag(arg))
        return false;
    return true;
}

// Options with a value; false when `arg` is none of them.
bool valued(const QString& arg, const QString& value, MakeArguments& parsed, bool& nameGiven) {
    PackageRequest& request = parsed.request;
    if (arg == QLatin1String("--name")) {
        request.name = value;
        nameGiven = true;
    } else if (arg == QLatin1String("--ring")) {
        if (!parsed.ringFolder.isEmpty())
            parsed.error =
                QStringLiteral("one --ring only; the rings above and below are --up and --down");
        parsed.ringFolder = value;
    } else if (arg == QLatin1String("--start")) {
        request.start = number(arg, value, 0, 1 << 20, parsed.error);
    } else if (arg == QLatin1String("--up") || arg == QLatin1String("--down")) {
        (arg == QLatin1String("--up") ? request.up : request.down).push_back(PhotoRow{value, {}});
    } else if (arg == QLatin1String("--sound")) {
        request.soundFile = value;
    } else if (arg == QLatin1String("--hotspot")) {
        request.hotSpots << value;
    } else if (arg == QLatin1String("--fit")) {
        parsed.photos.fit = number(arg, value, 16, 65535, parsed.error);
    } else if (arg == QLatin1String("--quality")) {
        parsed.photos.quality = number(arg, value, 1, 100, parsed.error);
    } else if (!parsed.studio.takeValued(arg, value, parsed.error)) {
        return false;
    }
    return true;
}

} // namespace

MakeArguments MakeArguments::parse(const QStringList& args) {
    MakeArguments parsed;
    bool nameGiven = false;
    for (int i = 0; i < args.size() && parsed.error.isEmpty() && !parsed.help; ++i) {
        const QString& arg = args.at(i);
        if (flag(arg, parsed))
            continue;
        if (i + 1 < args.size() && valued(arg, args.at(i + 1), parsed, nameGiven))
            ++i;
        else if (parsed.out.isEmpty() && !arg.startsWith(QLatin1String("--")))
            parsed.out = arg;
        else
            parsed.error = QStringLiteral("unexpected \"%1\"").arg(arg);
    }
    if (parsed.help)
        parsed.error.clear();
    else if (parsed.error.isEmpty() &&
             (parsed.out.isEmpty() || !nameGiven || parsed.ringFolder.isEmpty()))
        parsed.error = QStringLiteral("OUT.360, --name and --ring are needed");
    return parsed;
}

const char* MakeArguments::usage() {
    return "usage: gyrolook-pack make OUT.360 --name NAME --ring DIR [--start K] [--reverse] "
           "[--up DIR]... [--down DIR]... [--sound FILE.mp3 [--repeat]] "
           "[--hotspot IMAGE:X1,Y1,X2,Y2]... [--fit PIXELS] [--quality Q] [--auto-rotate] "
           "[--ignore-orientation] [--strip] [--crop auto[:MARGIN%]] [--centre] [--even-exposure] "
           "[--backdrop white|COLOUR[:TOLERANCE]] [--preview OUT.png] [--dry-run] [--quiet]";
}

const char* MakeArguments::helpText() {
    return R"(
Builds a package from folders of photos, each taken in natural order of its file names
(DSC_2 before DSC_10). Files that cameras and file managers leave beside photos (Thumbs.db,
desktop.ini, .DS_Store, *.xmp, *.thm, a RAW file beside its JPEG, earlier .360 packages) are
skipped with a line each; anything else that is not a photo is refused, all in one message.

  --name NAME        the package's name, which its pictures are named after
  --ring DIR         the photos of the horizontal ring
  --start K          the K-th photo (counting from 0) becomes position 0
  --reverse          the turntable turned the other way
  --up DIR           a row above the ring (the first --up is row 2, the next row 3, ...)
  --down DIR         a row below the ring; needs --up
                     The viewer turns the rings above and below three positions a click and
                     enters them where an upper ring branches off, so each row holds one photo
                     for every third photo of the ring, and at most nine rows a side.
  --sound FILE.mp3   the package's sound; --repeat plays it in a loop
  --hotspot IMAGE:X1,Y1,X2,Y2   a rectangle in picture pixels on horizontal position IMAGE
  --fit PIXELS       scale photos down so their longest side is PIXELS (never up)
  --quality Q        encode the photos anew at JPEG quality Q (default 90 when encoding)
  --auto-rotate      stand photos upright as their EXIF orientation says; orientation 1 written
  --ignore-orientation  take every EXIF orientation as 1 (pixels already upright, tags wrong);
                     photos made anew get orientation 1
  --strip            drop the photos' metadata except the colour (ICC) profile
  --dry-run          print the member names and the descriptor instead of writing
  --quiet            no progress on standard error

A turntable shoot made clean (JPEG photos of one size; every photo is measured first):
  --crop auto[:MARGIN%]  cut every picture to one box: the object's box over the whole
                     package (where it differs from the backdrop, whose colour comes from
                     each photo's border), widened by MARGIN per cent on each side (5)
  --centre           keep the object turning in place: its swing off the turntable's axis
                     and the jitter between photos are taken out, each ring on its own;
                     what the shift exposes takes the backdrop's colour
  --even-exposure    even out the flicker of the light through each ring; the
                     differences between rings stay
  --backdrop white|COLOUR[:TOLERANCE]  turn the backdrop into white (or #RRGGBB, or a
                     colour name): colours within TOLERANCE (40) of it fully, a soft edge
                     up to one and a half times that
  --preview OUT.png  write a sheet of a few photos before and after, instead of the package
                     With --dry-run, each ring's crop, swing and exposure spread are printed.

Without --fit, --quality, --auto-rotate, --strip and the turntable options every photo keeps
its bytes. The package is written under a hidden name beside OUT.360, checked the way the
viewer opens it, and only then given its name; when the command fails or is interrupted nothing
is left behind.
)";
}
