#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the program. An error carries a number, a description and the source
// that raised it, written "Class::Procedure". An entry that traps errors raises each one again
// with the same number and description and its own source (see rethrowWithSource).
class GyroError : public std::runtime_error {
public:
    GyroError(int number, const QString& description, const QString& source);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }

    // The same error raised again by another entry.
    GyroError withSource(const QString& source) const;

private:
    int m_number;
    QString m_description;
    QString m_source;
};

// Error numbers the program raises. The values follow the classic BASIC run-time numbering so
// that a number alone says what kind of failure it was.
namespace ErrorNumber {
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int InvalidData = 321; // a file's content is not what its format promises
} // namespace ErrorNumber
