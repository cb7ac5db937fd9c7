#include "AboutBox.h"

#include "CaptionFrame.h"
#include "DialogKit.h"
#include "DialogPlacement.h"
#include "Dialogs.h"
#include "forms/Fonts.h"
#include "forms/ProgramIcon.h"
#include "overlay/OverlayForm.h"
#include "overlay/Topmost.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#ifndef QUILLAN_VERSION
#error "QUILLAN_VERSION is the project's version, given by the build"
#endif

namespace {

// The box's design size, in twips, before it fits itself to its texts.
constexpr int DesignWidth = 4170;
constexpr int DesignHeight = 3420;

// An auto-sized label's size in twips: what its caption needs in its own font, on one line.
TwipsBox captionSize(const QLabel *label)
{
    const QSize needs = label->sizeHint();
    return {0, 0, int32_t(units::PixelsToTwips(needs.width(), gSettings.gnTwipsX)),
            int32_t(units::PixelsToTwips(needs.height(), gSettings.gnTwipsY))};
}

// TextHeight: the height of a text, one line per line break, in `font`.
int32_t textHeight(const QFont &font, const QString &text)
{
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    return int32_t(
        units::PixelsToTwips(int64_t(QFontMetrics(font).height()) * lines, gSettings.gnTwipsY));
}

} // namespace

QString AboutBox::NoticeLine(int index)
{
    static const char *const lines[] = {
        "This program is free. You may copy it and",
        "pass it on to others as long as its notices",
        "are kept and all of its files are left as",
        "they are, complete and unchanged. For details,",
        "please read the help file that comes with it.",
    };
    return index >= 0 && index < 5 ? QLatin1String(lines[index]) : QString();
}

QString AboutBox::RightsSentence()
{
    return QStringLiteral("All rights reserved.");
}

QString AboutBox::VersionLine()
{
    return QStringLiteral("Version ") + QLatin1String(QUILLAN_VERSION);
}

QString AboutBox::CopyrightLine()
{
    return QStringLiteral("Copyright \u00A9 2026");
}

QString AboutBox::MakerName()
{
    return QStringLiteral("The Vyn Quillane developers");
}

AboutBox::AboutBox()
    : QDialog(nullptr,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                  | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , Frame1(DialogKit::named(new CaptionFrame(this), "Frame1"))
    , lblAppname(DialogKit::named(new QLabel(Frame1), "lblAppname"))
    , lblVersion(DialogKit::named(new QLabel(Frame1), "lblVersion"))
    , imgMain(DialogKit::named(new QLabel(Frame1), "imgMain"))
    , lblCopyright(DialogKit::named(new QLabel(Frame1), "lblCopyright"))
    , lblName(DialogKit::named(new QLabel(Frame1), "lblName"))
    , txtAllrights(DialogKit::named(new QLineEdit(Frame1), "txtAllrights"))
    , Frame2(DialogKit::named(new CaptionFrame(Frame1), "Frame2"))
    , cmdOK(DialogKit::named(new QPushButton(Frame1), "cmdOK"))
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral(" About Vyn Quillane"));
    setFont(ArialFont(9));
    resize(TwipsRect(0, 0, DesignWidth, DesignHeight).size());

    Frame1->setGeometry(TwipsRect(60, -10, DesignWidth - 120, DesignHeight));

    lblAppname->setText(QStringLiteral("Vyn Quillane (32bit)"));
    lblAppname->setFont(ArialFont(9.75, true));
    lblVersion->setText(VersionLine());
    lblCopyright->setText(CopyrightLine());
    lblCopyright->setFont(ArialFont(8.25));
    lblName->setText(MakerName());
    lblName->setFont(ArialFont(9, true));
    for (QLabel *label : {lblAppname, lblVersion, lblCopyright, lblName})
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    imgMain->setPixmap(QPixmap::fromImage(ProgramIcon()));
    imgMain->setScaledContents(true);

    txtAllrights->setFont(ArialFont(9.75));
    txtAllrights->setFrame(false);
    txtAllrights->setReadOnly(true);
    // The notice only scrolls past; the keyboard stays with OK, which Enter presses.
    txtAllrights->setFocusPolicy(Qt::NoFocus);
    txtAllrights->setText(RightsSentence());
    txtAllrights->setCursorPosition(0);
    QPalette blend = txtAllrights->palette();
    blend.setColor(QPalette::Base, blend.color(QPalette::Button));
    txtAllrights->setPalette(blend);
    txtAllrights->setGeometry(TwipsRect(0, 0, 1935, 285));

    static const char *const noticeNames[]
        = {"lblNotice(0)", "lblNotice(1)", "lblNotice(2)", "lblNotice(3)", "lblNotice(4)"};
    for (int i = 0; i < 5; ++i) {
        lblNotice[i] = DialogKit::named(new QLabel(Frame1), noticeNames[i]);
        lblNotice[i]->setFont(ArialFont(8.25));
        lblNotice[i]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }

    cmdOK->setText(QStringLiteral("OK"));
    cmdOK->setFont(ArialFont(8.25));
    cmdOK->setDefault(true);
    cmdOK->setGeometry(TwipsRect(960, 5550, 1215, 285));
    DialogKit::raiseKeyPress(cmdOK, [this](int &KeyAscii) { cmdOK_KeyPress(KeyAscii); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    Timer1.setInterval(127);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    Timer1.start();
}

void AboutBox::Form_Load()
{
    const Settings &s = gSettings;
    SetFormTopmost(this, 1);

    QStringList notice;
    for (int i = 0; i < 5; ++i)
        notice << NoticeLine(i);

    AboutMeasures m;
    m.image = {0, 0, int32_t(32 * s.gnTwipsX), int32_t(32 * s.gnTwipsY)};
    lblNotice[3]->setText(notice[3]);
    m.appName = captionSize(lblAppname);
    m.version = captionSize(lblVersion);
    m.copyright = captionSize(lblCopyright);
    m.name = captionSize(lblName);
    const QFont dialogFont = font();
    m.appNameTextHeight = textHeight(dialogFont, lblAppname->text());
    m.copyrightTextHeight = textHeight(dialogFont, lblCopyright->text());
    m.nameTextHeight = textHeight(dialogFont, lblName->text());
    m.rightsTextHeight = textHeight(dialogFont, txtAllrights->text());
    for (int i = 0; i < 5; ++i) {
        lblNotice[i]->setText(notice[i]);
        m.notices[i] = captionSize(lblNotice[i]);
    }
    m.rights = {0, 0, 1935, 285};
    m.ok = {960, 5550, 1215, 285};
    // Fixed in size from here on, so the frame asked for is that of a box the user cannot
    // resize (a window manager may give a resizable one a wider frame).
    setFixedSize(size());
    const QSize frame = FrameExtra(this);
    m.borderWidth = int32_t(units::PixelsToTwips(frame.width(), s.gnTwipsX));
    m.borderHeight = int32_t(units::PixelsToTwips(frame.height(), s.gnTwipsY));

    m_layout = LayOutAboutBox(m);
    const AboutLayout &l = m_layout;
    setFixedSize(TwipsRect(0, 0, l.width - m.borderWidth, l.height - m.borderHeight).size());
    // Centred by the size it has now, frame included. (Centred by its design size and then
    // fitted to its texts, it would stand off-centre by half of what the fitting changed.)
    CentreOnScreen(this);
    const DialogKit kit;
    kit.place(Frame1, l.frame1);
    kit.place(Frame2, l.frame2);
    kit.place(lblAppname, l.appName);
    kit.place(lblVersion, l.version);
    kit.place(imgMain, l.image);
    kit.place(lblCopyright, l.copyright);
    kit.place(lblName, l.name);
    kit.place(txtAllrights, l.rights);
    kit.place(cmdOK, l.ok);
    for (int i = 0; i < 5; ++i)
        kit.place(lblNotice[i], l.notices[i]);

    const QString gap(33, QLatin1Char(' '));
    psTicker = gap + RightsSentence() + gap + RightsSentence();
    cmdOK->setFocus(Qt::OtherFocusReason);
    BelongToOverlay(this);
}

void AboutBox::Form_Unload()
{
    Timer1.stop();
    ReturnToOverlay(this, /*focusInput=*/false);
}

void AboutBox::Timer1_Timer()
{
    txtAllrights->setText(psTicker.mid(nTickerPos));
    // Shown from its first character, as a text box shows a text it is given.
    txtAllrights->setCursorPosition(0);
    nTickerPos = int16_t(nTickerPos + 1);
    if (nTickerPos > psTicker.size())
        nTickerPos = 0;
}

void AboutBox::cmdOK_Click()
{
    frmInfo.unload();
}

void AboutBox::cmdOK_KeyPress(int &KeyAscii)
{
    if (KeyAscii == 13) {
        frmInfo.unload();
        KeyAscii = 0;
    }
}

void AboutBox::reject()
{
    frmInfo.unload();
}
