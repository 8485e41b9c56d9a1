#pragma once

#include "format/HotSpotTables.h"
#include "pictures/Picture.h"
#include "view/OpenDialogFolder.h"
#include "windows/LoadingProgress.h"

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class BackgroundLoading;
class PackageStore;
class CommonDialog;
class FreeMemorySource;
class ImageArray;
class ImageControl;
class MediaControl;
class PackageOpening;
class PictureArea;
class PrivateFolder;
class Program;
class Prompter;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class ScrollBar;
class PictureKeeper;
class SoundAfterPicture;
struct OptionSettings;

// The viewer's main window. It owns every control the viewing code touches, laid out at fixed
// positions in twips inside the client area below the menu bar; resizing the window by hand
// moves no control. The event handlers are members named control_event; each control's event is
// wired to its handler here, and the handlers are virtual so that tests can observe them.
//
// The window keeps the services it was given (prompter, program, option settings, the media
// layer that plays package sounds and the source of the free memory figure) by reference; they
// must outlive it. It owns the progress window driver `loadingProgress`, the state of the package
// shown (below) and the private folder that package was extracted into.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    frmMain(Prompter& prompter, Program& program, OptionSettings& settings, MediaControl& media,
            const FreeMemorySource& freeMemory, QWidget* parent = nullptr);
    ~frmMain() override;

    // The decodes of compressed pictures, kept and made ahead of turning (for tests and benches).
    PictureKeeper& pictureKeeper() { return *m_keeper; }

    Prompter& prompter() const { return m_prompter; }
    Program& program() const { return m_program; }
    OptionSettings& settings() const { return m_settings; }
    MediaControl& media() const { return m_media; }

    // Outer size in twips: the client area, the menu bar and the frame the window system draws
    // (0 while the window is unframed: before it is first shown, offscreen, or without a window
    // manager). Setting it resizes the window so that its outer size becomes the given one, kept
    // within the bounds of WindowBounds.h (the control strip, the screen). A size set while the
    // frame is not yet known (a package opened from the command line, before the window is first
    // shown) is set again once the window system has framed the window, so that both openings
    // give the same outer size.
    int outerWidthTwips() const;
    int outerHeightTwips() const;
    void setOuterWidthTwips(double width);
    void setOuterHeightTwips(double height);
    void setOuterSizeTwips(double width, double height);

    // The program's command-line text, whole: each argument in double quotes, separated by one
    // blank. MaxArgs changes nothing.
    QString GetCommandLine(int MaxArgs = 1);

    // Waits until the pictures of the package opened last are all held, or its loading has failed
    // (then reported, as the event loop would report it). For tests and benches.
    void finishLoading();
    // The loading of the package opened last, while it goes on (null once every picture is held).
    const BackgroundLoading* loading() const { return m_loading.get(); }

    // Removes the private folder of the package shown, with everything extracted into it (the
    // sound file included). Safe to call at any time; Exit and closing the window call it.
    void removePackageFolder();

    // Event handlers.
    virtual void Form_Load();
    virtual void Form_Unload();
    virtual void HscrArray_Change();
    virtual void VscrArray_Change();
    virtual void hscrlZoom_Change();
    virtual void hscrlZoom_Scroll();
    virtual void imgMain_MouseMove(int Button, int Shift, float X, float Y);
    virtual void mnuOpen_Click();
    virtual void mnuOptions_Click();
    virtual void mnuAbout_Click();
    virtual void mnuExit_Click();
    // A file dropped on the window: opened exactly as a package named on the command line, so a
    // file of another kind gets the Open command's "Wrong file type!!".
    virtual void Form_DragDrop(const QString& path);

    // Controls.
    ImageControl* imgMain = nullptr;
    ImageArray* imgArray = nullptr;
    ScrollBar* HscrArray = nullptr;
    ScrollBar* VscrArray = nullptr;
    QPushButton* cmdTop = nullptr;
    QLineEdit* txtHorizontal = nullptr;
    QLineEdit* txtVertical = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    ScrollBar* hscrlZoom = nullptr;
    QLabel* lblZoom = nullptr;
    QCheckBox* chkAutoSpin = nullptr;
    QLineEdit* txtImageNum = nullptr;
    QLabel* lblImageNum = nullptr;
    QLabel* lblX = nullptr;
    QLabel* lblY = nullptr;
    QLabel* lblInOut = nullptr;
    CommonDialog* cd = nullptr;

    // Menu.
    QMenu* mnuFile = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuExit = nullptr;

    // The progress window shown while a package opens.
    LoadingProgress loadingProgress;

    // The package shown. Set by mnuOpen_Click, read by the view, zoom and pointer handlers.
    QString sCommandFile;      // the command-line text, the package path in double quotes
    bool bCommandFile = false; // true: mnuOpen_Click opens sCommandFile without the dialog
    QString sPackageDir;       // the private folder the package was extracted into, ending in "/"
    qint16 iHCount = 0;        // N, the horizontal pictures; also HscrArray's Max
    qint16 iCurrent = 0;       // the column shown (the slot, on the horizontal ring)
    qint16 iLastH = 0;         // HscrArray's value after the previous horizontal change
    bool bBusy = false;        // true while code sets scroll-bar values: their handlers do nothing
    bool bForward = false;     // the direction of the latest horizontal move
    std::vector<std::uint8_t>
        UpperRing; // per column 0 .. N: slot of the upper ring's first row, or kNoRing
    std::vector<std::uint8_t> LowerRing; // the same for the lower rings
    qint32 lPicWidth = 0; // natural size of the first picture, twips: the base of the zoom
    qint32 lPicHeight = 0;
    QString vSoundFile; // blank-free name of the sound member in sPackageDir, "" for none
    bool bHasSound = false;
    bool bSoundRepeat = false;
    HotSpotTables hotSpots; // iHotSpots, HotSpotImages, HotSpotImageNum, HotSpotX1 ... HotSpotY2

protected:
    // Closing the window by any means runs Form_Unload; ending the program at once does not close
    // the window and so does not run it.
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // One local file may be dropped; anything else is not taken.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls(QWidget* client);
    // The order Tab moves through the controls.
    void setTabOrders();
    void createMenu();
    void wireEvents();

    // Opening a package (the steps that touch the window), in the order mnuOpen_Click runs them.
    // A step that returns false stops the opening: leavePreviousPackage has then reported why;
    // for the steps that take the PackageOpening, the caller reports its problem().

    // The package named on the command line, else the one chosen in the dialog (false: cancelled).
    bool choosePackage(QString& fullPath, QString& packageTitle);
    // Silences and clears the previous package, makes the private folder, shows the progress.
    bool leavePreviousPackage(const QString& packageTitle);
    // Extracts, reads the descriptor, takes the sound, hot spots and navigation range from it.
    bool readPackage(PackageOpening& opening, const QString& fullPath);
    // Sizes the picture and the window to the first horizontal picture.
    bool sizeToFirstPicture(PackageOpening& opening);
    // The ring maps and the imgArray slots (empty), the first picture held, and the loading of
    // the rest begun (see BackgroundLoading).
    bool loadSlots(PackageOpening& opening);
    // The picture of an imgArray slot not held yet, held at once while the loading goes on.
    bool holdNow(int slot);
    // Holds and shows the slot a turn reached before the loading did, once the presses queued
    // behind that turn are taken (a held key decodes only the position it has come to).
    void holdTurnedTo();
    // The loading's news: a picture held, the loading's end, a picture that cannot be held.
    void loadingHeld(int slot, const PicturePtr& picture);
    void loadingDone();
    void loadingFailed(const QString& problem);
    // Ends the loading at once, letting go of what it held.
    void stopLoading();
    // Picture 0 at its natural size as the zoom's base, then zoomed, with the controls shown.
    void showFirstView();
    void clearView();
    void releasePackage();
    void failOpening(const QString& message);

    // Viewing (turning, zoom, start-up).
    // imgMain takes the picture held by imgArray element `slot` (the same object, no copy). A
    // picture the loading has not reached yet is taken by holdTurnedTo(), just after. False, with
    // nothing changed, when that element does not exist or nothing will fill it.
    bool showSlot(int slot);
    // imgMain keeps its left and top and takes the base size scaled by the zoom value.
    void applyZoomedSize();
    // Shows column h (0 .. iHCount - 1) of the horizontal ring with everything beside it, and
    // puts the vertical bar on the horizontal ring.
    void showHorizontalColumn(int h);
    // Wraps HscrArray's value from one step past either end to the other end, then shows that
    // column of the horizontal ring.
    void turnOnHorizontalRing();
    // What both zoom events do: caption, picture size, and the window grown to fit; a picture
    // panned keeps the point at the middle of the view.
    void followZoom();
    // The zoom keys (Ctrl+0 fit, Ctrl+1 100 %, Ctrl+plus or Ctrl+= and Ctrl+minus one step),
    // which move the zoom bar while a package is shown.
    void createZoomKeys();
    // The zoom value Ctrl+0 gives: the opening's, the largest step up to 100 % at which the
    // picture is seen whole in the window this screen allows.
    int fitZoom() const;
    void zoomByKey(int zoom);
    // Before the first view: lowers the zoom so that a picture larger than the window the screen
    // allows is seen whole, and sizes the window to it (see PictureArea).
    void setOpeningZoom();
    // The last step of an opening: starts the package's sound once its first picture is on the
    // screen (at once, after a repaint, when the window is shown; after its first paint when the
    // package opened before the window was first shown).
    void startSoundAfterPicture();
    // Takes the close button off the window's frame, keeping minimize and maximize.
    void withdrawCloseEntry();
    // Resizes to the outer size asked for (pixels), bounded, and keeps a shown window on its
    // screen's available area. With `keepCorner`, a shown window keeps its top-left corner (so that
    // the controls stay under the pointer) and grows no further than the area's edges from there.
    void fitOuterSize(QSize requested, bool keepCorner = false);
    // After a turn (`turned`) or a zoom: tells the keeper what is shown and the pictures likely
    // next (it decides what to decode ahead and when, see PictureKeeper::follow()), and paints
    // imgMain's views of them on the idle cores (see ViewsAhead); after a turn, tells the loading
    // still going on the positions the turn reaches next (BackgroundLoading::follow()).
    void prepareAhead(bool turned);

    Prompter& m_prompter;
    Program& m_program;
    OptionSettings& m_settings;
    MediaControl& m_media;
    const FreeMemorySource& m_freeMemory;
    // The outer size (pixels) last asked for while the window had no frame yet; fitted again, and
    // cleared, once the window system has framed the window.
    std::optional<QSize> m_unframedRequest;
    std::unique_ptr<PrivateFolder> m_packageFolder; // holds sPackageDir while a package is shown
    PictureArea* m_pictureArea = nullptr;           // places imgMain; owned by the client area
    QPointer<SoundAfterPicture> m_pendingSound;     // a sound start waiting for the first picture
    OpenDialogFolder m_openFolder = OpenDialogFolder::ofThisProcess(); // where Open starts
    std::unique_ptr<PictureKeeper> m_keeper; // decodes of compressed pictures, kept and ahead
    // The package shown, read back by its pictures held at a screen level; its news of a change
    // on disk closes the package.
    std::shared_ptr<PackageStore> m_store;
    // The pictures of the package still being loaded; last, so that it stops first.
    std::unique_ptr<BackgroundLoading> m_loading;
    int m_slotToHold = -1;     // the slot holdTurnedTo() takes, -1 for none
    bool m_holdPosted = false; // a call of holdTurnedTo() is queued
    // The slots the keeper was last told of as next (held or not yet), and how; a picture the
    // loading holds among them tells the keeper again (once per event-loop round).
    std::vector<int> m_slotsNext;
    bool m_nextTurned = false;
    bool m_nextAgainPosted = false;
    int m_openings = 0; // counts the openings: news of a loading ended is not taken
};
