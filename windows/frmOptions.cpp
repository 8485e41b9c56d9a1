#include "frmOptions.h"

#include "format/OptionSettings.h"
#include "sound/PackageSound.h"
#include "toolkit/Twips.h"
#include "toolkit/WindowFont.h"
#include "toolkit/WrappingCheckBox.h"

#include <QKeyEvent>
#include <QPushButton>

frmOptions::frmOptions(OptionSettings& settings, MediaControl* media, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_settings(settings), m_media(media) {
    setWindowTitle(QStringLiteral("Options"));
    setFont(windowFont());
    setSizeGripEnabled(false);
    resize(twipsRect(0, 0, 4680, 3195).size());

    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    cmdExit->setAutoDefault(false);
    cmdExit->setDefault(false);
    cmdExit->setGeometry(twipsRect(3840, 2760, 735, 375));

    const auto makeBox = [this](const QString& caption, bool checked, const QRect& geometry) {
        auto* box = new WrappingCheckBox(caption, this);
        box->setChecked(checked);
        box->setGeometry(geometry);
        return box;
    };
    chkLoadVertical = makeBox(QStringLiteral("Load Vertical Images (when off, show only "
                                             "horizontal images)"),
                              settings.bOptLoadVertical, twipsRect(120, 240, 2655, 435));
    chkUseRam = makeBox(QStringLiteral("Load Images in UnCompressed form (Uses More RAM, if space "
                                       "available, less CPU) (When off, loads compressed images "
                                       "into RAM, requires a more powerfull CPU)"),
                        settings.bOptUseRam, twipsRect(120, 720, 2775, 1155));
    chkSound =
        makeBox(QStringLiteral("Sound On?"), settings.bOptSound, twipsRect(120, 1920, 2775, 195));
    chkSoundRepeat = makeBox(QStringLiteral("Repeat Sound?"), settings.bOptSoundRepeat,
                             twipsRect(120, 2160, 2895, 255));

    setTabOrder(cmdExit, chkLoadVertical);
    setTabOrder(chkLoadVertical, chkUseRam);
    setTabOrder(chkUseRam, chkSound);
    setTabOrder(chkSound, chkSoundRepeat);

    connect(cmdExit, &QPushButton::clicked, this, &frmOptions::cmdExit_Click);
    connect(chkLoadVertical, &WrappingCheckBox::clicked, this, &frmOptions::chkLoadVertical_Click);
    connect(chkUseRam, &WrappingCheckBox::clicked, this, &frmOptions::chkUseRam_Click);
    connect(chkSound, &WrappingCheckBox::clicked, this, &frmOptions::chkSound_Click);
    connect(chkSoundRepeat, &WrappingCheckBox::clicked, this, &frmOptions::chkSoundRepeat_Click);
}

void frmOptions::showModal(OptionSettings& settings, MediaControl* media, QWidget* parent) {
    frmOptions window(settings, media, parent);
    window.exec();
}

void frmOptions::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmOptions::cmdExit_Click() {
    accept();
}

void frmOptions::chkLoadVertical_Click() {
    m_settings.bOptLoadVertical = chkLoadVertical->isChecked();
}

void frmOptions::chkUseRam_Click() {
    m_settings.bOptUseRam = chkUseRam->isChecked();
}

void frmOptions::chkSound_Click() {
    m_settings.bOptSound = chkSound->isChecked();
    if (m_media)
        applySoundOption(*m_media, m_settings);
}

void frmOptions::chkSoundRepeat_Click() {
    m_settings.bOptSoundRepeat = chkSoundRepeat->isChecked();
}
