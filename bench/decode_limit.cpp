// decode_limit: how fast this machine's cores can decode a package's JPEG pictures at all, the
// limit an opening is measured against.
//
//   decode_limit PACKAGE.360 [--scale 1|2|4|8] [--threads N] [--runs N]
//
// Every JPEG member is read from the archive into memory first. Then N threads (the cores, by
// default) take the pictures in turn and decode each one with libjpeg-turbo at the DCT scale
// 1/scale into its Y, Cb and Cr planes (no colour conversion: the least work that yields the
// pixels), each into memory fresh from the system (mapped for that picture and returned after
// it), as an opening decodes into memory it has not touched before. Only the decoding is timed.
// Prints the median over the runs, one figure a line:
//
//   pictures <n> size <w>x<h> compressed_bytes <n>
//   scale 1/<s> threads <n> output <w>x<h> plane_bytes <n>  (for one picture)
//   run <i> <ms>
//   limit <ms>                                               median of the runs
//   per_picture <ms>                                          limit / pictures x threads
//   load <1-minute load average before the runs>
//
// Exit status: 0, 1 when the package cannot be read or a picture cannot be decoded, 2 for a wrong
// command line.
#include "support/PackagePictures.h"
#include "support/Percentile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include <jpeglib.h>
#include <sys/mman.h>

namespace {

// Not pictures/JpegDecoder's session on purpose: a limit is the least work the library does for
// the pixels (planes in fresh memory, no colour conversion, no checks beyond the library's own),
// so only what stops a run on bad data is kept; the product's decodes are measured against it.
struct Session {
    jpeg_decompress_struct info;
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

void jumpBack(j_common_ptr info) {
    auto* session =
        reinterpret_cast<Session*>(reinterpret_cast<char*>(info->err) - offsetof(Session, manager));
    std::longjmp(session->back, 1);
}

void stayQuiet(j_common_ptr) {}

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::size_t bytes = 0;
};

// Where each component's plane lies in one block of memory: its rows padded to whole bands, and
// one band more, as the library writes raw data.
struct PlaneLayout {
    std::size_t offsets[4] = {};
    std::size_t strides[4] = {};
    std::size_t total = 0;
};

PlaneLayout planeLayout(const jpeg_decompress_struct& info) {
    PlaneLayout layout;
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& comp = info.comp_info[c];
        const std::size_t per = std::size_t(comp.v_samp_factor) * comp.DCT_scaled_size;
        const std::size_t rows =
            (std::size_t(comp.height_in_blocks) * comp.DCT_scaled_size + per - 1) / per * per + per;
        layout.strides[c] = std::size_t(comp.width_in_blocks) * comp.DCT_scaled_size;
        layout.offsets[c] = layout.total;
        layout.total += layout.strides[c] * rows;
    }
    return layout;
}

// Decodes one picture into planes in fresh memory at 1/scale; the memory is returned afterwards.
Decoded decodePlanes(const QByteArray& jpeg, int scale) {
    Session session;
    jpeg_decompress_struct& info = session.info;
    info.err = jpeg_std_error(&session.manager);
    session.manager.error_exit = jumpBack;
    session.manager.output_message = stayQuiet;
    jpeg_create_decompress(&info);
    Decoded result;
    // Nothing with a destructor lives across the calls below; the mapping is released after.
    void* volatile memory = MAP_FAILED;
    volatile std::size_t mapped = 0;
    if (setjmp(session.back)) {
        jpeg_destroy_decompress(&info);
        if (memory != MAP_FAILED)
            munmap(memory, mapped);
        return {};
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.raw_data_out = TRUE;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(scale);
    info.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&info);
    const int components = info.num_components;
    const int step = info.max_v_samp_factor * info.min_DCT_scaled_size;
    const PlaneLayout layout = planeLayout(info);
    const std::size_t* offsets = layout.offsets;
    const std::size_t* strides = layout.strides;
    mapped = layout.total;
    memory =
        mmap(nullptr, layout.total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        std::longjmp(session.back, 1);
    auto* base = static_cast<unsigned char*>(memory);
    JSAMPROW rows[4][4 * DCTSIZE];
    JSAMPARRAY arrays[4] = {rows[0], rows[1], rows[2], rows[3]};
    while (info.output_scanline < info.output_height) {
        const std::size_t band = info.output_scanline / JDIMENSION(step);
        for (int c = 0; c < components; ++c) {
            const jpeg_component_info& comp = info.comp_info[c];
            const int count = comp.v_samp_factor * comp.DCT_scaled_size;
            for (int r = 0; r < count; ++r)
                rows[c][r] = base + offsets[c] + strides[c] * (band * count + r);
        }
        if (jpeg_read_raw_data(&info, arrays, JDIMENSION(step)) == 0)
            std::longjmp(session.back, 1);
    }
    jpeg_finish_decompress(&info);
    result = {true, int(info.output_width), int(info.output_height), std::size_t(mapped)};
    jpeg_destroy_decompress(&info);
    munmap(memory, mapped);
    return result;
}

int usage() {
    std::fprintf(stderr,
                 "usage: decode_limit PACKAGE.360 [--scale 1|2|4|8] [--threads N] [--runs N]\n");
    return 2;
}

double loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().split(' ').value(0).toDouble();
}

} // namespace

struct Options {
    QString package;
    int scale = 1;
    int threads = int(std::max(1u, std::thread::hardware_concurrency()));
    int runs = 3;
};

// The command line's options; none when it is not understood.
std::optional<Options> parseOptions(const QStringList& args) {
    Options options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        bool ok = true;
        if ((arg == QLatin1String("--scale") || arg == QLatin1String("--threads") ||
             arg == QLatin1String("--runs")) &&
            i + 1 < args.size()) {
            const int value = args[++i].toInt(&ok);
            if (!ok || value < 1)
                return std::nullopt;
            (arg == QLatin1String("--scale")     ? options.scale
             : arg == QLatin1String("--threads") ? options.threads
                                                 : options.runs) = value;
        } else if (!arg.startsWith(QLatin1Char('-')) && options.package.isEmpty()) {
            options.package = arg;
        } else {
            return std::nullopt;
        }
    }
    const int scale = options.scale;
    if (options.package.isEmpty() || (scale != 1 && scale != 2 && scale != 4 && scale != 8))
        return std::nullopt;
    return options;
}

// One run: every picture decoded at 1/`scale` by `threads` threads; its time in ms, or none when
// a picture cannot be decoded.
std::optional<double> timeRun(const PackagePictures& read, int scale, int threads) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < read.pictures.size(); i = next++)
                if (!decodePlanes(read.pictures[i].bytes, scale).ok)
                    failed = true;
        });
    for (std::thread& worker : workers)
        worker.join();
    const double ms = clock.nsecsElapsed() / 1e6;
    if (failed)
        return std::nullopt;
    return ms;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments().mid(1));
    if (!options)
        return usage();
    const int scale = options->scale;
    const int threads = options->threads;

    const PackagePictures read = readPackagePictures(options->package);
    if (!read.ok || read.pictures.empty()) {
        std::fprintf(stderr, "decode_limit: %s\n",
                     qPrintable(read.ok ? QStringLiteral("no JPEG pictures") : read.error));
        return 1;
    }
    const Decoded first = decodePlanes(read.pictures.front().bytes, 1);
    const Decoded scaled = decodePlanes(read.pictures.front().bytes, scale);
    if (!first.ok || !scaled.ok) {
        std::fprintf(stderr, "decode_limit: %s cannot be decoded\n",
                     qPrintable(read.pictures.front().name));
        return 1;
    }
    std::printf("pictures %zu size %dx%d compressed_bytes %lld\n", read.pictures.size(),
                first.width, first.height, static_cast<long long>(read.totalBytes));
    std::printf("scale 1/%d threads %d output %dx%d plane_bytes %zu\n", scale, threads,
                scaled.width, scaled.height, scaled.bytes);
    const double load = loadAverage();

    std::vector<double> times;
    for (int run = 0; run < options->runs; ++run) {
        const std::optional<double> ms = timeRun(read, scale, threads);
        if (!ms) {
            std::fprintf(stderr, "decode_limit: a picture cannot be decoded\n");
            return 1;
        }
        times.push_back(*ms);
        std::printf("run %d %.1f\n", run + 1, *ms);
    }
    const double limit = percentile(times, 50);
    std::printf("limit %.1f\n", limit);
    std::printf("per_picture %.2f\n", limit / double(read.pictures.size()) * threads);
    std::printf("load %.2f\n", load);
    return 0;
}
