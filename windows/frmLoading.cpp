#include "frmLoading.h"

#include "toolkit/Twips.h"
#include "toolkit/WindowFont.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QThread>
#include <QWindow>

namespace {
constexpr int kExposureWaitMs = 500;
}

frmLoading::frmLoading(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      lblLoading(new QLabel(QStringLiteral("Message..."), this)) {
    setWindowTitle(QStringLiteral("Gyrolook: Loading..."));
    setFont(windowFont());
    const QRect client = twipsRect(0, 0, 4200, 585);
    setFixedSize(client.size());
    lblLoading->setObjectName(QStringLiteral("lblLoading"));
    lblLoading->setTextFormat(Qt::PlainText);
    lblLoading->setWordWrap(false);
    lblLoading->setGeometry(twipsRect(120, 120, 3975, 255));
}

void frmLoading::showModeless() {
    show();
    const QDeadlineTimer deadline(kExposureWaitMs);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    while (windowHandle() && !windowHandle()->isExposed() && !deadline.hasExpired()) {
        QThread::msleep(2);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void frmLoading::refreshNow() {
    if (isVisible())
        repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
