#include "GyroError.h"

GyroError::GyroError(int number, const QString& description, const QString& source)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description),
      m_source(source) {}

GyroError GyroError::withSource(const QString& source) const {
    return GyroError(m_number, m_description, source);
}
