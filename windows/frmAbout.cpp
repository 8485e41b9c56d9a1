#include "frmAbout.h"

#include "ProgramIcon.h"
#include "toolkit/BlankWrapLabel.h"
#include "toolkit/LineControl.h"
#include "toolkit/Program.h"
#include "toolkit/Twips.h"
#include "toolkit/WindowFont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

void paintBlack(QWidget* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry, bool black) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    if (black)
        paintBlack(label);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About Gryolook"));
    setFont(windowFont());
    setWindowIcon(programIcon());

    // The client area sits at a fixed spot, counted from the screen's top-left corner.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    const QRect client = twipsRect(2340, 1935, 5730, 3555);
    setFixedSize(client.size());
    setGeometry(client.translated(origin));

    picIcon = new QLabel(this);
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(programIconPixmap());
    picIcon->setGeometry(twipsRect(240, 240, 540, 540));

    lblTitle =
        makeLabel(this, QStringLiteral("Application Title"), twipsRect(1050, 240, 3885, 480), true);
    lblVersion = makeLabel(this, QStringLiteral("Version"), twipsRect(1050, 780, 3885, 225), false);
    lblDescription = new BlankWrapLabel(descriptionText(), this);
    lblDescription->setGeometry(twipsRect(1050, 1125, 3885, 1170));
    paintBlack(lblDescription);

    // The etched separator: a grey line with a white one a pixel lower and to the right.
    Line1[0] = new LineControl(this);
    Line1[0]->setColor(Qt::white);
    Line1[0]->setLineWidth(2);
    Line1[0]->setEndsTwips(105, 2460, 5654, 2460);
    Line1[1] = new LineControl(this);
    Line1[1]->setColor(QColor(128, 128, 128));
    Line1[1]->setLineWidth(1);
    Line1[1]->setEndsTwips(90, 2445, 5654, 2445);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(twipsRect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true); // Enter; Esc is the dialog's own cancel
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    lblDisclaimer = makeLabel(this, QStringLiteral("Provided as is, without any warranty."),
                              twipsRect(240, 2640, 3870, 825), true);

    Form_Load();
}

void frmAbout::showModal(QWidget* parent) {
    frmAbout window(parent);
    window.exec();
}

QString frmAbout::descriptionText() {
    return QStringLiteral("This program is designed to view 3d objects in a 360 degree by either "
                          "180 or 360 degree view. \".360\" files either hold horizontal images "
                          "or both horizontal and vertical images.");
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + Program::title());
    lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                            .arg(Program::versionMajor())
                            .arg(Program::versionMinor())
                            .arg(Program::versionRevision()));
    lblTitle->setText(Program::title());
}

void frmAbout::cmdOK_Click() {
    accept();
}
