#pragma once

#include <zip.h>

#include <cstdint>
#include <string>

// Receives a member's data while it is read.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes the next piece; returns false (saying why) to stop the copy.
    virtual bool put(const char* data, std::size_t size, std::string& why) = 0;
    // Called once after the last piece, when every check passed.
    virtual bool finish(std::string&) { return true; }
};

// Drops the data (testing an archive).
class DiscardSink : public ByteSink {
public:
    bool put(const char*, std::size_t, std::string&) override { return true; }
};

// Writes the data to a file descriptor that the caller owns.
class FdSink : public ByteSink {
public:
    explicit FdSink(int fd) : m_fd(fd) {}
    bool put(const char* data, std::size_t size, std::string& why) override;

private:
    int m_fd;
};

// Passes the data on with every line end (CR LF, lone CR, lone LF) written as CR LF.
class CrLfSink : public ByteSink {
public:
    explicit CrLfSink(ByteSink& next) : m_next(next) {}
    bool put(const char* data, std::size_t size, std::string& why) override;
    bool finish(std::string& why) override;

private:
    ByteSink& m_next;
    bool m_pendingCr = false;
    std::string m_buffer;
};

// What reading one member came to.
struct CopyOutcome {
    enum class Status { Ok, WrongPassword, Failed };
    Status status = Status::Ok;
    std::string problem; // for the member's line, e.g. "damaged (checksum mismatch)"
};

// Reads member index to its end in 64 KiB chunks and hands every chunk to sink. The member must
// yield exactly stat.size bytes (reading stops as soon as it yields more) and libzip's own checks
// must pass: reading to the end checks the CRC-32 when the member has one (AES members are
// checked by their authentication code instead). password is null for a member that is not
// encrypted. WrongPassword is reported when libzip's password check fails, when a password is
// missing, and for a checksum mismatch of a traditionally encrypted member, whose quick password
// check lets about one wrong password in 256 through.
CopyOutcome copyMember(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat,
                       const char* password, ByteSink& sink);

// A member-level libzip error in words, e.g. "damaged (checksum mismatch)".
std::string describeMemberError(int zipErrorCode, int systemErrorCode);
