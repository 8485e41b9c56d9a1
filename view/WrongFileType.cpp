#include "WrongFileType.h"

#include "archive/DisplayText.h"

QString wrongFileTypeMessage(const QString& fileName) {
    const QString text = QStringLiteral("Wrong file type!!");
    return fileName.isEmpty() ? text : text + QLatin1Char('\n') + displayFileName(fileName);
}
