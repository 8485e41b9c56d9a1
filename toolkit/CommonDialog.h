#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class QWidget;

// What the open-file dialog is asked to show.
struct OpenFileRequest {
    QString initDir;         // folder shown first (empty: the current folder)
    QString fileName;        // file name or pattern put in the name field
    QStringList nameFilters; // filters in Qt's "Description (*.a *.b)" form
    int filterIndex = 1;     // the filter selected first, counted from 1
};

// Shows an open-file dialog and returns the chosen file's full path, or the empty text when the
// user cancels.
using OpenFileChooser = std::function<QString(const OpenFileRequest&)>;

// The open-file dialog component. The caller sets the properties, then calls showOpen(); after a
// choice fileName() holds the chosen full path and fileTitle() its last component. Cancelling
// changes no property; with cancelError() set it raises GyroError 32755 "Cancel was selected.".
// The dialog itself comes from the chooser: by default a Qt file dialog over the owner window;
// tests put in a chooser that answers at once.
class CommonDialog : public QObject {
    Q_OBJECT

public:
    static constexpr int kCancelErrorNumber = 32755;

    explicit CommonDialog(QWidget* owner = nullptr);

    QString initDir() const { return m_initDir; }
    void setInitDir(const QString& folder) { m_initDir = folder; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    // Pairs of description and patterns separated by "|", patterns separated by ";":
    // "All Files (*.*)|*.*|360 Images (*.360)|*.360".
    QString filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    int filterIndex() const { return m_filterIndex; }
    void setFilterIndex(int index) { m_filterIndex = index; }
    bool cancelError() const { return m_cancelError; }
    void setCancelError(bool raise) { m_cancelError = raise; }
    QString fileTitle() const { return m_fileTitle; }

    // Shows the dialog modally; returns when the user has chosen or cancelled.
    void showOpen();

    void setChooser(OpenFileChooser chooser) { m_chooser = std::move(chooser); }

    // The filter text turned into Qt name filters ("*.*" becomes "*", which matches every file).
    static QStringList nameFiltersFromFilter(const QString& filter);

private:
    QString chooseWithQtDialog(const OpenFileRequest& request) const;

    QPointer<QWidget> m_owner;
    QString m_initDir;
    QString m_fileName;
    QString m_filter;
    int m_filterIndex = 1;
    bool m_cancelError = false;
    QString m_fileTitle;
    OpenFileChooser m_chooser;
};
