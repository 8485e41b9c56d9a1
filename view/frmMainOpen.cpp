// Opening a package: the File menu's Open entry, also run by start-up for a package named on the
// command line. The steps that need no window run in PackageOpening; this file interleaves them
// with what the window does: clearing the view, the progress window, sizing the window to the
// pictures, filling the picture slots, showing the first view and starting the sound.
#include "frmMain.h"

#include "format/FileUtil.h"
#include "format/GyroError.h"
#include "format/Navigation.h"
#include "format/OptionSettings.h"
#include "format/PackageCounters.h"
#include "format/Prompter.h"
#include "opening/BackgroundLoading.h"
#include "opening/PackageOpening.h"
#include "opening/PackageStore.h"
#include "opening/PrivateFolder.h"
#include "pictures/PictureKeeper.h"
#include "pictures/PixelPool.h"
#include "sound/MediaControl.h"
#include "sound/PackageSound.h"
#include "toolkit/CommonDialog.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/ScrollBar.h"
#include "toolkit/Twips.h"
#include "view/PictureArea.h"
#include "view/WrongFileType.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

void frmMain::removePackageFolder() {
    m_packageFolder.reset();
    sPackageDir.clear();
}

void frmMain::clearView() {
    imgMain->setPicture(nullptr);
    imgMain->hide();
    releasePackage();
    HscrArray->hide();
    VscrArray->hide();
    cmdTop->hide();
    lblZoom->hide();
    hscrlZoom->hide();
    chkAutoSpin->hide();
    VscrArray->setEnabled(false);
}

void frmMain::releasePackage() {
    stopLoading();
    m_keeper->clear();
    if (m_store)
        m_store->setChangedNews({}); // waits for news being told
    m_store.reset();
    // Every slot of the previous package goes, the lower rings' too; element 0 stays and lets go
    // of its picture.
    for (int slot = imgArray->upperBound(); slot >= 1; --slot)
        imgArray->unload(slot);
    imgArray->at(0)->setPicture(nullptr);
}

void frmMain::failOpening(const QString& message) {
    // The extracted files go with the private folder; the window is left cleared, also when the
    // first pictures were shown before a later one was found broken.
    clearView();
    removePackageFolder();
    vSoundFile.clear();
    bHasSound = false;
    m_prompter.message(message);
    loadingProgress.close();
}

void frmMain::mnuOpen_Click() {
    QString fullPath;
    QString packageTitle;
    if (!choosePackage(fullPath, packageTitle))
        return;
    // Only ".360" packages; anything else leaves the package shown as it is.
    if (packageTitle.right(4) != QLatin1String(".360")) {
        m_prompter.message(wrongFileTypeMessage(packageTitle));
        return;
    }
    m_openFolder.packageOpened(fullPath);

    // The previous package's pixel memory goes to the new package's pictures; what they do not
    // reuse is returned when this opening ends, whichever way it ends.
    PixelPool::Recycling recycling;
    PackageOpening opening(loadingProgress, m_prompter, m_freeMemory, m_settings);
    // The pictures are decoded once the first is shown, in the order a user turns to them: none
    // during the extraction, where they would come before the first one.
    opening.setEarlyDecoding(false);
    // Photos larger than the screen are held at the size the opening shows them.
    if (const QScreen* where = screen())
        opening.setOpeningShown(m_pictureArea->openingShown(
            hscrlZoom->value(), where->availableGeometry().size(), where->devicePixelRatio()));
    // The first picture is being read while the window makes room for the package.
    const QString packagePath = QFileInfo(fullPath).absoluteFilePath();
    opening.readFirstPictureAhead(packagePath);
    if (!leavePreviousPackage(packageTitle))
        return;
    if (!readPackage(opening, packagePath) || !sizeToFirstPicture(opening) ||
        !opening.checkMemory()) {
        failOpening(opening.problem());
        return;
    }
    if (!loadSlots(opening)) {
        failOpening(PackageOpening::refusal(opening.packageTitle(), m_loading->problem()));
        return;
    }
    showFirstView();

    // The rest loads while the package is shown, its progress beside the window.
    if (m_loading) {
        loadingProgress.placeBeside(this);
        m_loading->start();
    } else {
        loadingProgress.close();
    }
    startSoundAfterPicture();
}

bool frmMain::choosePackage(QString& fullPath, QString& packageTitle) {
    if (bCommandFile) {
        // The text arrives in one pair of double quotes; the first and last characters go.
        fullPath =
            sCommandFile.size() >= 2 ? sCommandFile.mid(1, sCommandFile.size() - 2) : QString();
        packageTitle = fullPath.mid(fullPath.lastIndexOf(QLatin1Char('/')) + 1);
        sCommandFile.clear();
        bCommandFile = false;
        return true;
    }
    cd->setInitDir(m_openFolder.folder());
    cd->setFileName(QStringLiteral("*.360"));
    cd->setFilter(QStringLiteral("All Files (*.*)|*.*|360 Images (*.360)|*.360"));
    cd->setFilterIndex(2);
    cd->setCancelError(true);
    try {
        cd->showOpen();
    } catch (const GyroError&) {
        return false; // cancelled: nothing changes
    }
    fullPath = cd->fileName();
    packageTitle = cd->fileTitle();
    return true;
}

bool frmMain::leavePreviousPackage(const QString& packageTitle) {
    // Silence the previous package and delete its sound file.
    m_media.sendCommand(closeAllCommand());
    if (!sPackageDir.isEmpty() && !vSoundFile.isEmpty() && FileExists(sPackageDir + vSoundFile))
        QFile::remove(sPackageDir + vSoundFile);

    // A fresh private folder stands in for the package's folder; the previous one goes.
    removePackageFolder();
    m_packageFolder = std::make_unique<PrivateFolder>();

    clearView();
    vSoundFile.clear();
    bHasSound = false;
    packageCounters().reset();
    if (!m_packageFolder->isValid()) {
        failOpening(QStringLiteral("Cannot open %1.\n\nNo private folder could be made for it: %2")
                        .arg(packageTitle, m_packageFolder->errorString()));
        return false;
    }
    sPackageDir = m_packageFolder->path();

    loadingProgress.show();
    loadingProgress.setMessage(QStringLiteral("Gyrolook: Uncompressing..."));
    loadingProgress.refresh();
    return true;
}

bool frmMain::readPackage(PackageOpening& opening, const QString& fullPath) {
    // Extract, read the descriptor and delete it.
    if (!opening.extract(fullPath, sPackageDir) || !opening.readDescriptor())
        return false;
    const Descriptor& descriptor = opening.descriptor();
    vSoundFile = opening.soundShortName();
    bHasSound = !vSoundFile.isEmpty();
    bSoundRepeat = descriptor.soundRepeat;
    hotSpots = descriptor.hotSpots;

    // The navigation range and the ring maps.
    const int n = opening.horizontalCount();
    iHCount = static_cast<qint16>(n);
    bBusy = true; // a lower maximum may move the thumb; that is no turn of the object
    HscrArray->setMax(n);
    bBusy = false;
    UpperRing.assign(static_cast<std::size_t>(n + 1), 0);
    LowerRing.assign(static_cast<std::size_t>(n + 1), 0);
    return true;
}

bool frmMain::sizeToFirstPicture(PackageOpening& opening) {
    if (!opening.probeFirstPicture())
        return false;
    const double pictureWidth = double(opening.pictureWidth()) * kTwipsPerPixel;
    const double pictureHeight = double(opening.pictureHeight()) * kTwipsPerPixel;
    imgMain->moveTwips(imgMain->leftTwips(), imgMain->topTwips(), pictureWidth, pictureHeight);
    setOuterSizeTwips(pictureWidth + 300, pictureHeight + 1500);
    return true;
}

bool frmMain::loadSlots(PackageOpening& opening) {
    // The decodes kept of compressed pictures take what the memory check left them.
    m_keeper->setByteCap(opening.memory().keptDecodeCap);
    iCurrent = 0;
    bBusy = true;
    HscrArray->setValue(iCurrent);
    bBusy = false;
    const int number = ++m_openings;
    const QString title = opening.packageTitle();
    // The loading's news of a failure or of its end is taken from the event loop, where the
    // loading may be let go; news of a loading since replaced is dropped.
    BackgroundLoading::Callbacks callbacks{
        [this](int slot, const PicturePtr& picture) { loadingHeld(slot, picture); },
        [this, number, title](const QString& problem) {
            QTimer::singleShot(0, this, [this, number, title, problem] {
                if (number == m_openings && m_loading)
                    failOpening(PackageOpening::refusal(title, problem));
            });
        },
        [this, number] {
            QTimer::singleShot(0, this, [this, number] {
                if (number == m_openings)
                    loadingDone();
            });
        }};
    // A package that changes on disk while it is shown is closed as a failed opening leaves it:
    // its pictures can no longer be read back from it.
    m_store = opening.store();
    if (m_store)
        m_store->setChangedNews([this, number](const QString& message) {
            QMetaObject::invokeMethod(
                this,
                [this, number, message] {
                    if (number == m_openings && m_store)
                        failOpening(message);
                },
                Qt::QueuedConnection);
        });
    PictureSlots slots;
    m_loading = opening.startLoading(slots, std::move(callbacks));
    for (std::size_t slot = 0; slot < slots.pictures.size(); ++slot)
        imgArray->load(static_cast<int>(slot))->setPicture(nullptr);
    UpperRing = slots.UpperRing;
    LowerRing = slots.LowerRing;
    // The picture shown first, before any other.
    return holdNow(iCurrent);
}

bool frmMain::holdNow(int slot) {
    return m_loading && m_loading->now(slot) != nullptr;
}

void frmMain::loadingHeld(int slot, const PicturePtr& picture) {
    if (ImageControl* element = imgArray->at(slot))
        element->setPicture(picture);
    // A picture next that was not held when the keeper was told: told again once the loading's
    // news is taken, so that it is decoded (and its view painted) ahead like the others.
    if (m_nextAgainPosted ||
        std::find(m_slotsNext.begin(), m_slotsNext.end(), slot) == m_slotsNext.end())
        return;
    m_nextAgainPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_nextAgainPosted = false;
            if (!m_slotsNext.empty())
                prepareAhead(m_nextTurned);
        },
        Qt::QueuedConnection);
}

void frmMain::loadingDone() {
    if (m_loading && m_loading->finished()) {
        m_loading.reset();
        loadingProgress.close();
    }
}

void frmMain::stopLoading() {
    m_slotToHold = -1;
    m_slotsNext.clear();
    m_loading.reset();
}

void frmMain::finishLoading() {
    if (!m_loading)
        return;
    m_loading->finish();
    QCoreApplication::processEvents(); // the news of the loading's end
}

void frmMain::showFirstView() {
    // Natural size first, which is the base of the zoom, then zoomed.
    imgMain->setStretch(false);
    imgMain->setPicture(imgArray->at(iCurrent)->picture());
    lPicWidth = imgMain->widthTwips();
    lPicHeight = imgMain->heightTwips();
    imgMain->setStretch(true);
    setOpeningZoom();
    const double zoom = hscrlZoom->value() * 0.05;
    imgMain->moveTwips(imgMain->leftTwips(), imgMain->topTwips(), zoom * lPicWidth,
                       zoom * lPicHeight);
    imgMain->show();
    HscrArray->show();
    VscrArray->show();
    cmdTop->show();
    lblZoom->show();
    hscrlZoom->show();
    imgMain->setToolTip(QString::number(iCurrent));
    iLastH = static_cast<qint16>(HscrArray->value());
    const int position = HscrArray->value() == iHCount ? 0 : HscrArray->value();
    VscrArray->setEnabled(UpperRing[static_cast<std::size_t>(position)] != navigation::kNoRing);
}
