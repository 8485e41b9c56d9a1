// Dropping a file on the main window.
#include "frmMain.h"

#include "toolkit/Program.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

// The one local file a drag carries, or the empty text.
QString droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    return urls.first().toLocalFile();
}

} // namespace

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    Form_DragDrop(path);
}

void frmMain::Form_DragDrop(const QString& path) {
    // The command line's road: the path in quotes, as start-up hands it to the Open command.
    sCommandFile = Program::commandLineFromArguments({path});
    bCommandFile = true;
    mnuOpen_Click();
}
