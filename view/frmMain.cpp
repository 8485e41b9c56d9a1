#include "frmMain.h"

#include "format/Navigation.h"
#include "opening/BackgroundLoading.h"
#include "opening/PackageStore.h"
#include "opening/PrivateFolder.h"
#include "pictures/PictureKeeper.h"
#include "toolkit/CommonDialog.h"
#include "toolkit/ImageArray.h"
#include "toolkit/ImageControl.h"
#include "toolkit/ScrollBar.h"
#include "toolkit/Twips.h"
#include "toolkit/WindowFont.h"
#include "view/PictureArea.h"
#include "view/WindowBounds.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

constexpr double kClientWidth = 6090;
constexpr double kClientHeight = 4215;

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    label->setGeometry(geometry);
    return label;
}

QLineEdit* makeTextField(QWidget* parent, const QRect& geometry) {
    auto* field = new QLineEdit(parent);
    field->setGeometry(geometry);
    field->setEnabled(false);
    return field;
}

ScrollBar* makeScrollBar(QWidget* parent, Qt::Orientation orientation, const QRect& geometry,
                         int min, int max, int value) {
    auto* bar = new ScrollBar(orientation, parent);
    bar->setGeometry(geometry);
    bar->setMin(min);
    bar->setMax(max);
    bar->setValue(value);
    bar->setSmallChange(1);
    bar->setLargeChange(1);
    bar->hide();
    return bar;
}

} // namespace

frmMain::frmMain(Prompter& prompter, Program& program, OptionSettings& settings,
                 MediaControl& media, const FreeMemorySource& freeMemory, QWidget* parent)
    : QMainWindow(parent), m_prompter(prompter), m_program(program), m_settings(settings),
      m_media(media), m_freeMemory(freeMemory), m_keeper(std::make_unique<PictureKeeper>()) {
    setWindowTitle(QStringLiteral("Gyrolook"));
    setFont(windowFont());
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    createControls(client);
    m_pictureArea = new PictureArea(imgMain, client);
    createMenu();
    createZoomKeys();
    wireEvents();
    setAcceptDrops(true); // a package dropped on the window opens as from the command line

    setMinimumWidth(twipsToPixels(kControlStripWidthTwips));
    const QRect area = twipsRect(0, 0, kClientWidth, kClientHeight);
    resize(area.width(), area.height() + menuBar()->sizeHint().height());
}

frmMain::~frmMain() {
    // The picture control and its views ahead go with the window's children, after the keeper
    // they take decodes from: they let go of it first.
    imgMain->setKeeper(nullptr);
    imgMain->setPicture(nullptr);
    // Pictures may outlive the window's members for a moment: the package's news goes nowhere.
    if (m_store)
        m_store->setChangedNews({});
}

void frmMain::createControls(QWidget* client) {
    // Created bottom-up in the stacking order: later controls lie above earlier ones.
    imgArray = new ImageArray(new ImageControl(client), this);
    imgArray->at(0)->setGeometry(twipsRect(2280, 2040, 615, 495));
    imgArray->at(0)->hide();

    imgMain = new ImageControl(client);
    imgMain->setGeometry(twipsRect(120, 840, 1935, 1815));
    imgMain->setStretch(false);
    imgMain->setKeeper(m_keeper.get());
    imgMain->hide();

    HscrArray = makeScrollBar(client, Qt::Horizontal, twipsRect(480, 240, 735, 255), -1, 36, 0);
    VscrArray =
        makeScrollBar(client, Qt::Vertical, twipsRect(720, 0, 255, 735), navigation::kTopValue,
                      navigation::kBottomValue, navigation::kHorizontalRingValue);
    VscrArray->setEnabled(false);

    // The captionless button covers the square where the two navigation bars cross.
    cmdTop = new QPushButton(client);
    cmdTop->setGeometry(twipsRect(720, 240, 255, 255));
    cmdTop->setAutoDefault(false);
    cmdTop->setEnabled(false);
    cmdTop->hide();

    txtHorizontal = makeTextField(client, twipsRect(3840, 0, 375, 285));
    txtVertical = makeTextField(client, twipsRect(3840, 240, 375, 285));
    txtVertical->hide();

    Label1 = makeLabel(client, QStringLiteral("Horizontal:"), twipsRect(2880, 0, 855, 255));
    Label2 = makeLabel(client, QStringLiteral("Vertical:"), twipsRect(3000, 240, 615, 255));
    Label2->hide();

    hscrlZoom = makeScrollBar(client, Qt::Horizontal, twipsRect(1440, 240, 1215, 255), 1, 80, 20);
    lblZoom = makeLabel(client, QStringLiteral("Zoom: 100%"), twipsRect(1560, 0, 1095, 255));
    lblZoom->hide();

    chkAutoSpin = new QCheckBox(QStringLiteral("AutoSpin"), client);
    chkAutoSpin->setGeometry(twipsRect(1440, 600, 1215, 195));
    chkAutoSpin->setChecked(false);
    chkAutoSpin->setEnabled(false);
    chkAutoSpin->hide();

    txtImageNum = makeTextField(client, twipsRect(4320, 240, 375, 285));
    txtImageNum->hide();
    lblImageNum = makeLabel(client, QStringLiteral("Image:"), twipsRect(4320, 0, 495, 255));
    lblImageNum->hide();

    lblX = makeLabel(client, QStringLiteral("0"), twipsRect(120, 0, 495, 255));
    lblY = makeLabel(client, QStringLiteral("0"), twipsRect(120, 480, 495, 255));
    lblInOut = makeLabel(client, QStringLiteral("Out"), twipsRect(4200, 600, 615, 255));

    cd = new CommonDialog(this);
    setTabOrders();
}

void frmMain::setTabOrders() {
    setTabOrder(HscrArray, VscrArray);
    setTabOrder(VscrArray, cmdTop);
    setTabOrder(cmdTop, txtHorizontal);
    setTabOrder(txtHorizontal, txtVertical);
    setTabOrder(txtVertical, hscrlZoom);
    setTabOrder(hscrlZoom, chkAutoSpin);
    setTabOrder(chkAutoSpin, txtImageNum);
}

void frmMain::createMenu() {
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuOpen = mnuFile->addAction(QStringLiteral("Open"));
    mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuOpen->setShortcutContext(Qt::WindowShortcut);
    mnuOptions = mnuFile->addAction(QStringLiteral("Options"));
    // Top-level items without a drop-down act as soon as they are clicked.
    mnuAbout = menuBar()->addAction(QStringLiteral("&About"));
    mnuExit = menuBar()->addAction(QStringLiteral("E&xit"));
}

void frmMain::wireEvents() {
    connect(HscrArray, &ScrollBar::changed, this, [this] { HscrArray_Change(); });
    connect(VscrArray, &ScrollBar::changed, this, [this] { VscrArray_Change(); });
    connect(hscrlZoom, &ScrollBar::changed, this, [this] { hscrlZoom_Change(); });
    connect(hscrlZoom, &ScrollBar::scrolled, this, [this] { hscrlZoom_Scroll(); });
    connect(imgMain, &ImageControl::mouseMoved, this,
            [this](int button, int shift, float x, float y) {
                imgMain_MouseMove(button, shift, x, y);
            });
    connect(mnuOpen, &QAction::triggered, this, [this] { mnuOpen_Click(); });
    connect(mnuOptions, &QAction::triggered, this, [this] { mnuOptions_Click(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });
    connect(mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
}

int frmMain::outerWidthTwips() const {
    return outerSizeTwips(this).width();
}

int frmMain::outerHeightTwips() const {
    return outerSizeTwips(this).height();
}

void frmMain::setOuterWidthTwips(double width) {
    setOuterSizeTwips(width, outerHeightTwips());
}

void frmMain::setOuterHeightTwips(double height) {
    setOuterSizeTwips(outerWidthTwips(), height);
}

void frmMain::setOuterSizeTwips(double width, double height) {
    fitOuterSize(QSize(twipsToPixels(width), twipsToPixels(height)));
}

void frmMain::fitOuterSize(QSize requested, bool keepCorner) {
    const QSize frame = frameExtent(this);
    const QScreen* where = screen();
    const QRect area = where ? where->availableGeometry() : QRect();
    // Kept in its corner, the window grows only as far as the area's edges from where it is.
    const QSize available = keepCorner && isVisible() && area.isValid()
                                ? roomFromCorner(frameGeometry(), area)
                                : area.size();
    const QSize outer =
        boundedOuterSize(requested, frame, twipsToPixels(kControlStripWidthTwips), available);
    if (frame == QSize(0, 0))
        m_unframedRequest = requested;
    else
        m_unframedRequest.reset();
    resize(outer - frame);
    if (isVisible() && area.isValid()) {
        const QRect placed(frameGeometry().topLeft(), outer);
        const QPoint corner = keptOnArea(placed, area);
        if (corner != placed.topLeft())
            move(corner);
    }
}

bool frmMain::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // The window system frames a window after it is shown; a size asked for before that is
    // fitted again to the frame it drew.
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Paint:
    case QEvent::WindowActivate:
        if (m_unframedRequest && isVisible() && frameExtent(this) != QSize(0, 0)) {
            const QSize requested = *m_unframedRequest;
            m_unframedRequest.reset();
            fitOuterSize(requested);
        }
        break;
    default:
        break;
    }
    return handled;
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}
