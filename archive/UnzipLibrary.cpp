#include "UnzipLibrary.h"

#include "ExtractionRun.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {

constexpr std::uint8_t kLibraryVersion[4] = {1, 0, 0, 0};
constexpr std::uint8_t kInterfaceVersion[4] = {1, 0, 0, 0};

std::vector<std::string> patterns(std::int32_t count, const char* const* names) {
    std::vector<std::string> out;
    for (std::int32_t i = 0; names && i < count; ++i)
        if (names[i] && *names[i])
            out.emplace_back(names[i]);
    return out;
}

// Copies text into a fixed field, cut to fit, always ending in a zero byte.
template <std::size_t N> void fillField(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
}

} // namespace

void UzpVersion2(UnzipVersionInfo* info) {
    if (!info || info->structLength < sizeof(UnzipVersionInfo))
        return;
    info->flags = 0;
    fillField(info->releaseLevel, "release");
    fillField(info->releaseDate, "");
    fillField(info->backendVersion, zip_libzip_version());
    std::memcpy(info->libraryVersion, kLibraryVersion, 4);
    std::memcpy(info->interfaceVersion, kInterfaceVersion, 4);
}

std::int32_t Wiz_SingleEntryUnzip(std::int32_t includeCount, const char* const* includeNames,
                                  std::int32_t excludeCount, const char* const* excludeNames,
                                  const UnzipOptions* options, UnzipUserFunctions* functions,
                                  std::int32_t leaveCount, const char* const* leaveNames) {
    if (!options || !functions)
        return UnzipResult::BadArguments;
    try {
        ExtractionRun run(*options, *functions, patterns(includeCount, includeNames),
                          patterns(excludeCount, excludeNames), patterns(leaveCount, leaveNames));
        try {
            return run.run();
        } catch (const std::bad_alloc&) {
            run.say("There is not enough memory to extract the archive");
            return UnzipResult::OutOfMemory;
        } catch (const std::exception& error) {
            run.say(std::string("The archive could not be extracted: ") + error.what());
            return UnzipResult::Failed;
        }
    } catch (const std::bad_alloc&) {
        return UnzipResult::OutOfMemory;
    } catch (const std::exception&) {
        return UnzipResult::Failed;
    }
}
