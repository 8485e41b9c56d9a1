#include "MemberCopy.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

CopyOutcome failed(std::string problem) {
    return CopyOutcome{CopyOutcome::Status::Failed, std::move(problem)};
}

// Data that does not check out. Behind traditional encryption it is what a wrong password that
// passed the quick check looks like.
CopyOutcome damaged(bool traditional, const std::string& detail) {
    if (traditional)
        return CopyOutcome{CopyOutcome::Status::WrongPassword,
                           "wrong password or damaged data (" + detail + ")"};
    return failed("damaged (" + detail + ")");
}

} // namespace

bool FdSink::put(const char* data, std::size_t size, std::string& why) {
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            why = std::string("could not be written (") + std::strerror(errno) + ")";
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CrLfSink::put(const char* data, std::size_t size, std::string& why) {
    m_buffer.clear();
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\r') {
            if (m_pendingCr)
                m_buffer += "\r\n";
            m_pendingCr = true;
            continue;
        }
        if (c == '\n') {
            m_buffer += "\r\n";
            m_pendingCr = false;
            continue;
        }
        if (m_pendingCr)
            m_buffer += "\r\n";
        m_pendingCr = false;
        m_buffer += c;
    }
    return m_next.put(m_buffer.data(), m_buffer.size(), why);
}

bool CrLfSink::finish(std::string& why) {
    if (m_pendingCr && !m_next.put("\r\n", 2, why))
        return false;
    m_pendingCr = false;
    return m_next.finish(why);
}

std::string describeMemberError(int zipErrorCode, int systemErrorCode) {
    switch (zipErrorCode) {
    case ZIP_ER_CRC:
        return "damaged (checksum mismatch)";
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return "damaged (its compressed data is invalid)";
    case ZIP_ER_EOF:
        return "damaged (its data ends early)";
    case ZIP_ER_INCONS:
        return "damaged (its headers do not agree)";
    case ZIP_ER_COMPNOTSUPP:
        return "cannot be extracted (its compression method is not supported)";
    case ZIP_ER_ENCRNOTSUPP:
        return "cannot be extracted (its encryption method is not supported)";
    case ZIP_ER_WRONGPASSWD:
        return "wrong password";
    case ZIP_ER_NOPASSWD:
        return "needs a password";
    case ZIP_ER_MEMORY:
        return "cannot be extracted (not enough memory)";
    case ZIP_ER_INVAL:
        return "damaged (its headers are invalid)";
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return std::string("could not be read (") + std::strerror(systemErrorCode) + ")";
    default: {
        zip_error_t error;
        zip_error_init_with_code(&error, zipErrorCode);
        std::string text = std::string("could not be read (") + zip_error_strerror(&error) + ")";
        zip_error_fini(&error);
        return text;
    }
    }
}

CopyOutcome copyMember(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat,
                       const char* password, ByteSink& sink) {
    if (!(stat.valid & ZIP_STAT_SIZE))
        return failed("damaged (its size is unknown)");
    const bool traditional = stat.encryption_method == ZIP_EM_TRAD_PKWARE;

    std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen_index_encrypted(archive, index, 0, password));
    if (!file) {
        zip_error_t* error = zip_get_error(archive);
        const int code = zip_error_code_zip(error);
        const int system = zip_error_code_system(error);
        zip_error_clear(archive);
        const bool passwordProblem = code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD;
        return CopyOutcome{passwordProblem ? CopyOutcome::Status::WrongPassword
                                           : CopyOutcome::Status::Failed,
                           describeMemberError(code, system)};
    }

    std::vector<char> buffer(kChunkSize);
    std::uint64_t total = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer.data(), buffer.size());
        if (got < 0) {
            zip_error_t* error = zip_file_get_error(file.get());
            const int code = zip_error_code_zip(error);
            if (code == ZIP_ER_CRC)
                return damaged(traditional, "checksum mismatch");
            if (code == ZIP_ER_ZLIB || code == ZIP_ER_COMPRESSED_DATA)
                return damaged(traditional, "its compressed data is invalid");
            return failed(describeMemberError(code, zip_error_code_system(error)));
        }
        if (got == 0)
            break;
        total += static_cast<std::uint64_t>(got);
        if (total > stat.size)
            return damaged(traditional, "it holds more data than its declared " +
                                            std::to_string(stat.size) + " bytes");
        std::string why;
        if (!sink.put(buffer.data(), static_cast<std::size_t>(got), why))
            return failed(why);
    }
    if (total != stat.size)
        return damaged(traditional, "its data ends after " + std::to_string(total) + " of " +
                                        std::to_string(stat.size) + " bytes");
    std::string why;
    if (!sink.finish(why))
        return failed(why);
    return CopyOutcome{};
}
