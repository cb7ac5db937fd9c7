#include "TextPreferences.h"

#include "ColorSwatch.h"
#include "DialogKit.h"
#include "DialogPlacement.h"
#include "Dialogs.h"
#include "FontList.h"
#include "PaletteWindow.h"
#include "SampleBox.h"
#include "StyleButton.h"
#include "StylePictures.h"
#include "TextDialogLink.h"
#include "forms/Fonts.h"
#include "forms/Help.h"
#include "platform/KeyboardOnShow.h"
#include "overlay/OverlayForm.h"
#include "overlay/OverlayOwner.h"
#include "overlay/TextBlock.h"
#include "overlay/Topmost.h"
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace {

QString OffsetCaption(int offset)
{
    return QStringLiteral("Offset: ") + QString::number(offset);
}

} // namespace

TextPreferences::TextPreferences()
    // Owned by the overlay, so that the window manager keeps it in front of the overlay even when
    // it stacks the focused full-screen overlay above the band of topmost windows.
    : QDialog(frmShow.ifLoaded(),
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                  | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmFont"));
    setWindowTitle(QStringLiteral(" Preferences - Text"));
    setFont(ArialFont(8.25));
    setFixedSize(units::TwipsToPixels(5745, gSettings.gnTwipsX),
                 units::TwipsToPixels(3780, gSettings.gnTwipsY));

    const DialogKit kit(TwipSizes::Separately);
    const FrameLook look = FrameLook::textDialog();
    Frame2 = kit.frame(this, "Frame2", QStringLiteral("Font"), look, 180, 60, 3780, 1560);
    Label5 = kit.topLeftLabel(Frame2, "Label5", QStringLiteral("Name"), 140, 195, 1095, 255);
    Label1 = kit.topLeftLabel(Frame2, "Label1", QStringLiteral("Size"), 2820, 195, 735, 255);
    cboFonts = kit.editableCombo(Frame2, "cboFonts", 135, 420, 2640, 315);
    cboSize = kit.editableCombo(Frame2, "cboSize", 2815, 420, 825, 315);
    for (const char *size : {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26",
                             "28", "32", "36", "40", "48", "56", "72"})
        cboSize->addItem(QLatin1String(size));
    cboSize->setCurrentIndex(-1);

    Frame1 = kit.frame(Frame2, "Frame1", QStringLiteral("Style"), look, 135, 780, 3510, 660);
    for (int i = 0; i < 4; ++i) {
        chkStyle[i] = new StyleButton(StylePicture(i), Frame1);
        chkStyle[i]->setObjectName(QStringLiteral("chkStyle(%1)").arg(i));
        kit.place(chkStyle[i], 120 + 840 * i, 270, 735, 255);
        QObject::connect(chkStyle[i], &QAbstractButton::toggled, this,
                         [this, i] { chkStyle_Click(i); });
    }
    chkStyle[0]->setToolTip(QStringLiteral("Bold"));
    chkStyle[1]->setToolTip(QStringLiteral("Italic"));

    Frame3 = kit.frame(this, "Frame3", QStringLiteral("Colors"), look, 4065, 60, 1500, 1560);
    picTextCol = kit.add<ColorSwatch>(Frame3, "picTextCol", 180, 330, 255, 255);
    cmdTextCol
        = kit.add<QPushButton>(Frame3, "cmdTextCol", QStringLiteral("Text"), 510, 315, 810, 300);
    picShadowCol = kit.add<ColorSwatch>(Frame3, "picShadowCol", 180, 735, 255, 255);
    cmdShadowCol = kit.add<QPushButton>(Frame3, "cmdShadowCol", QStringLiteral("Shadow"), 510, 720,
                                        810, 300);
    picCursorCol = kit.add<ColorSwatch>(Frame3, "picCursorCol", 180, 1125, 255, 255);
    cmdCursorCol = kit.add<QPushButton>(Frame3, "cmdCursorCol", QStringLiteral("Cursor"), 510, 1110,
                                        810, 300);

    Frame4 = kit.frame(this, "Frame4", QStringLiteral("Offset"), look, 4065, 1665, 1500, 720);
    hsbGap = new QScrollBar(Qt::Horizontal, Frame4);
    DialogKit::named(hsbGap, "hsbGap");
    hsbGap->setRange(-20, 20);
    hsbGap->setSingleStep(1);
    hsbGap->setPageStep(2);
    hsbGap->setValue(0);
    // A drag of the thumb is one change, when it is let go.
    hsbGap->setTracking(false);
    hsbGap->setFocusPolicy(Qt::StrongFocus);
    kit.place(hsbGap, 120, 300, 1245, 255);

    Frame5 = kit.frame(this, "Frame5", QStringLiteral("Cursor Style"), look, 4065, 2415, 1500, 705);
    optVertical = kit.add<QRadioButton>(Frame5, "optVertical", 180, 345, 210, 210);
    Label2 = kit.topLeftLabel(Frame5, "Label2", QStringLiteral(" |"), 420, 285, 255, 255);
    Label2->setFont(ArialFont(11.25, true));
    optLateral = kit.add<QRadioButton>(Frame5, "optLateral", 840, 345, 210, 210);
    Label3 = kit.topLeftLabel(Frame5, "Label3", QStringLiteral(" _"), 1080, 240, 300, 375);
    Label3->setFont(ArialFont(12.75, true));
    for (QLabel *picture : {Label2, Label3}) {
        QPalette black = picture->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        picture->setPalette(black);
    }

    Frame6 = kit.frame(this, "Frame6", QStringLiteral("Sample"), look, 180, 1665, 3780, 1455);
    picFontSample = kit.add<SampleBox>(Frame6, "picFontSample", 120, 240, 3540, 1095);
    lblSample = kit.topLeftLabel(picFontSample->client(), "lblSample",
                                 QStringLiteral("AaBbYyZz0123"), 960, 480, 1275, 195);

    cmdOK = kit.add<QPushButton>(this, "cmdOK", QStringLiteral("OK"), 2775, 3270, 855, 340);
    cmdOK->setDefault(true);
    cmdCancel
        = kit.add<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"), 3735, 3270, 855, 340);
    cmdHelp = kit.add<QPushButton>(this, "cmdHelp", QStringLiteral("&Help"), 4695, 3270, 855, 340);

    // The tab order; the frames, labels and swatches take no focus.
    const QWidget *order[] = {cboFonts,    cboSize,    chkStyle[0],  chkStyle[1],  chkStyle[2],
                              chkStyle[3], cmdTextCol, cmdShadowCol, cmdCursorCol, hsbGap,
                              optVertical, optLateral, cmdOK,        cmdCancel,    cmdHelp};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(order[i - 1]), const_cast<QWidget *>(order[i]));

    QObject::connect(cboFonts, &QComboBox::activated, this, [this] { cboFonts_Click(); });
    QObject::connect(cboSize, &QComboBox::activated, this, [this] { cboSize_Click(); });
    QObject::connect(cmdTextCol, &QPushButton::clicked, this, [this] { cmdTextCol_Click(); });
    QObject::connect(cmdShadowCol, &QPushButton::clicked, this, [this] { cmdShadowCol_Click(); });
    QObject::connect(cmdCursorCol, &QPushButton::clicked, this, [this] { cmdCursorCol_Click(); });
    picTextCol->onClick = [this] { picTextCol_Click(); };
    picShadowCol->onClick = [this] { picShadowCol_Click(); };
    picCursorCol->onClick = [this] { picCursorcol_Click(); };
    QObject::connect(hsbGap, &QScrollBar::valueChanged, this, [this] { hsbGap_Change(); });
    QObject::connect(optVertical, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optVertical_Click();
    });
    QObject::connect(optLateral, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optLateral_Click();
    });
    QObject::connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    QObject::connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    QObject::connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    DialogKit::raiseKeyPress(cmdOK, [this](int &KeyAscii) { cmdOK_KeyPress(KeyAscii); });
    DialogKit::raiseKeyPress(cmdCancel, [this](int &KeyAscii) { cmdCancel_KeyPress(KeyAscii); });
}

TextPreferences::~TextPreferences() = default;

// --- opening and closing ---------------------------------------------------------------------

void TextPreferences::Form_Load()
{
    Settings &s = gSettings;
    SetFormTopmost(this, 1);
    s.gbDialogOpen = True;

    CentreOnScreen(this);

    // The palette window stands against this dialog and shows its picks in the swatches.
    TextDialogLink &link = textDialogLink();
    link.window = this;
    link.setSwatchColor = [this](int slot, int32_t colour) {
        ColorSwatch *swatches[] = {picTextCol, picShadowCol, picCursorCol};
        if (slot >= SlotText && slot <= SlotCursor)
            swatches[slot]->setBackColor(PackedToRgb(colour));
    };
    link.unload = [] { frmFont.unload(); };

    picTextCol->setBackColor(PackedToRgb(s.glColor[SlotText]));
    picShadowCol->setBackColor(PackedToRgb(s.glColor[SlotShadow]));
    picCursorCol->setBackColor(PackedToRgb(s.glColor[SlotCursor]));

    cboFonts->addItems(FontListNames());

    cboFonts->setCurrentIndex(cboFonts->findText(s.gsFontName, Qt::MatchFixedString));
    cboFonts->setEditText(s.gsFontName);
    cboSize->setEditText(units::NumberWithSign(units::ReadNumber(s.gsFontSize)));

    // A flag other than 0 or 1 (only a damaged file holds one) is on, as the overlay draws it.
    for (int i = 0; i < 4; ++i)
        chkStyle[i]->setChecked(s.gnFontStyle[i] != 0);

    setSampleFont(SettingsFont(lblSample->font(), /*full=*/true));

    Frame4->setCaption(OffsetCaption(hsbGap->value()));
    // An offset beyond -20 to 20 (only a damaged file holds one) becomes the nearer end, and is
    // kept as such: the scroll bar's change stores what it shows.
    hsbGap->setValue(s.gnShadowGap);

    if (s.gnCursorStyle == 0)
        optVertical->setChecked(true);
    else
        optLateral->setChecked(true);

    s.pnFontLoadFlag = 1;
}

void TextPreferences::Show()
{
    if (isVisible()) {
        raise();
    } else {
        platform::TakeKeyboardOnceShown(this);
        show();
        cboFonts->setFocus(Qt::OtherFocusReason);
    }
    activateWindow();
}

void TextPreferences::Form_Unload()
{
    gSettings.gbDialogOpen = False;
    textDialogLink() = TextDialogLink {};
    frmColor.unload();
    ReturnToOverlay(this, /*focusInput=*/true);
}

void TextPreferences::closeBoth()
{
    frmColor.unload();
    frmFont.unload();
}

void TextPreferences::closeEvent(QCloseEvent *event)
{
    // The window's own close is Cancel.
    event->ignore();
    cmdCancel_Click();
}

void TextPreferences::reject()
{
    cmdCancel_Click();
}

// --- the sample ------------------------------------------------------------------------------

void TextPreferences::setSampleFont(const QFont &font)
{
    lblSample->setFont(font);
    lblSample->adjustSize();
    CenterSample();
}

void TextPreferences::CenterSample()
{
    lblSample->move(CentredIn(picFontSample->size(), lblSample->size()));
}

void TextPreferences::changeSampleFont(const std::function<void(QFont &)> &change)
{
    QFont font = lblSample->font();
    change(font);
    setSampleFont(font);
}

void TextPreferences::cboFonts_Click()
{
    changeSampleFont([&](QFont &font) { font.setFamily(cboFonts->currentText()); });
}

void TextPreferences::cboSize_Click()
{
    changeSampleFont([&](QFont &font) {
        font.setPointSizeF(
            FontPointsFrom(units::ReadNumber(cboSize->currentText()), font.pointSizeF()));
    });
}

void TextPreferences::chkStyle_Click(int Index)
{
    if (Index < 0 || Index > 3)
        return;
    const bool on = chkStyle[Index]->value() == 1;
    void (QFont::*const styles[])(bool)
        = {&QFont::setBold, &QFont::setItalic, &QFont::setUnderline, &QFont::setStrikeOut};
    changeSampleFont([style = styles[Index], on](QFont &font) { (font.*style)(on); });
}

// --- colours ---------------------------------------------------------------------------------

void TextPreferences::cmdTextCol_Click()
{
    pickColour(SlotText);
}

void TextPreferences::cmdShadowCol_Click()
{
    pickColour(SlotShadow);
}

void TextPreferences::cmdCursorCol_Click()
{
    pickColour(SlotCursor);
}

// Opens the palette window for a slot, or brings it forward (in its place) when it is open,
// and marks the slot's cell on it. The shadow and caret buttons take the dialog out of the
// topmost band first; the text button leaves it there.
void TextPreferences::pickColour(int slot)
{
    Settings &s = gSettings;
    s.gnColorSlot = int16_t(slot);
    if (slot != SlotText)
        SetFormTopmost(this, 0);
    frmColor->Show();
    DrawCell(s.gnColorCol[slot], s.gnColorRow[slot]);
}

void TextPreferences::picTextCol_Click()
{
    cmdTextCol_Click();
}

void TextPreferences::picShadowCol_Click()
{
    cmdShadowCol_Click();
}

void TextPreferences::picCursorcol_Click()
{
    cmdCursorCol_Click();
}

// --- shadow offset and caret style -----------------------------------------------------------

void TextPreferences::hsbGap_Change()
{
    gSettings.gnShadowGap = int16_t(hsbGap->value());
    Frame4->setCaption(OffsetCaption(hsbGap->value()));
}

void TextPreferences::optVertical_Click()
{
    gSettings.gsCursorChar = QStringLiteral("|");
    gSettings.gnCursorStyle = 0;
}

void TextPreferences::optLateral_Click()
{
    gSettings.gsCursorChar = QStringLiteral("_");
    gSettings.gnCursorStyle = 1;
}

// --- OK, Cancel, Help ------------------------------------------------------------------------

void TextPreferences::cmdOK_Click()
{
    Settings &s = gSettings;
    s.gsFontName = cboFonts->currentText();
    if (s.gsFontName.isEmpty())
        s.gsFontName = QStringLiteral("Arial");
    // Any size is taken, within what the font engine draws; one that is not a positive number
    // (0, text, a negative number) is the standard 18.
    s.gsFontSize
        = units::PlainNumber(FontPointsFrom(units::ReadNumber(cboSize->currentText()), 18));
    for (int i = 0; i < 4; ++i)
        s.gnFontStyle[i] = int16_t(chkStyle[i]->value());
    s.gnShadowGap = int16_t(hsbGap->value());

    OverlayOwner::get().textLookChanged();
    closeBoth();
}

void TextPreferences::cmdCancel_Click()
{
    closeBoth();
}

void TextPreferences::cmdOK_KeyPress(int &KeyAscii)
{
    if (KeyAscii == 13) {
        KeyAscii = 0;
        cmdOK_Click();
    }
}

void TextPreferences::cmdCancel_KeyPress(int &KeyAscii)
{
    if (KeyAscii == 13) {
        KeyAscii = 0;
        cmdCancel_Click();
    }
}

void TextPreferences::cmdHelp_Click()
{
    ShowHelp(this, QStringLiteral("Quillan.hlp"), platform::HELP_CONTEXT_Command,
             HelpTopicPreferences);
}
