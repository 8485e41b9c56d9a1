#include "CommonDialog.h"

#include "format/GyroError.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

CommonDialog::CommonDialog(QWidget* owner) : QObject(owner), m_owner(owner) {}

QStringList CommonDialog::nameFiltersFromFilter(const QString& filter) {
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList nameFilters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        description.remove(trailingPatterns);
        QStringList patterns;
        for (const QString& pattern : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns.append(pattern.trimmed() == QLatin1String("*.*") ? QStringLiteral("*")
                                                                      : pattern.trimmed());
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        nameFilters.append(description.trimmed() + QStringLiteral(" (") +
                           patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return nameFilters;
}

void CommonDialog::showOpen() {
    OpenFileRequest request;
    request.initDir = m_initDir;
    request.fileName = m_fileName;
    request.nameFilters = nameFiltersFromFilter(m_filter);
    request.filterIndex = m_filterIndex;
    const QString chosen = m_chooser ? m_chooser(request) : chooseWithQtDialog(request);
    if (chosen.isEmpty()) {
        if (m_cancelError)
            throw GyroError(kCancelErrorNumber, QStringLiteral("Cancel was selected."),
                            QStringLiteral("CommonDialog::ShowOpen"));
        return;
    }
    m_fileName = chosen;
    m_fileTitle = QFileInfo(chosen).fileName();
}

QString CommonDialog::chooseWithQtDialog(const OpenFileRequest& request) const {
    QFileDialog dialog(m_owner, QStringLiteral("Open"), request.initDir);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!request.nameFilters.isEmpty()) {
        dialog.setNameFilters(request.nameFilters);
        const int index = qBound(1, request.filterIndex, int(request.nameFilters.size()));
        dialog.selectNameFilter(request.nameFilters.at(index - 1));
    }
    // A pattern in the name field is already expressed by the selected filter.
    const bool isPattern =
        request.fileName.contains(QLatin1Char('*')) || request.fileName.contains(QLatin1Char('?'));
    if (!request.fileName.isEmpty() && !isPattern)
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
