#include "TextPreferences.h"

#include "CaptionFrame.h"
#include "DialogPlacement.h"
#include "Dialogs.h"
#include "PaletteWindow.h"
#include "StylePictures.h"
#include "TextDialogLink.h"
#include "TextPrefsControls.h"
#include "forms/Help.h"
#include "forms/KeyboardOnShow.h"
#include "overlay/OverlayForm.h"
#include "overlay/OverlayOwner.h"
#include "overlay/TextBlock.h"
#include "overlay/Topmost.h"
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace {

// Gives a control its place and size from twips, relative to its container.
void place(QWidget *control, int left, int top, int width, int height)
{
    control->setGeometry(TwipsRect(left, top, width, height, TwipSizes::Separately));
}

QString OffsetCaption(int offset)
{
    return QStringLiteral("Offset: ") + QString::number(offset);
}

QFont DialogFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    font.setBold(false);
    font.setItalic(false);
    return font;
}

QFont CaretPictureFont(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

CaptionFrame *MakeFrame(QWidget *parent, const char *name, const QString &caption)
{
    auto *frame = new CaptionFrame(parent, caption, FrameLook::textDialog());
    frame->setObjectName(QLatin1String(name));
    return frame;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QComboBox *MakeCombo(QWidget *parent, const char *name)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    // The text typed stays what was typed: no completion, and Enter adds nothing to the list.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
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
    setFont(DialogFont());
    setFixedSize(units::TwipsToPixels(5745, gSettings.gnTwipsX),
                 units::TwipsToPixels(3780, gSettings.gnTwipsY));

    Frame2 = MakeFrame(this, "Frame2", QStringLiteral("Font"));
    place(Frame2, 180, 60, 3780, 1560);
    Label5 = MakeLabel(Frame2, "Label5", QStringLiteral("Name"));
    place(Label5, 140, 195, 1095, 255);
    Label1 = MakeLabel(Frame2, "Label1", QStringLiteral("Size"));
    place(Label1, 2820, 195, 735, 255);
    cboFonts = MakeCombo(Frame2, "cboFonts");
    place(cboFonts, 135, 420, 2640, 315);
    cboSize = MakeCombo(Frame2, "cboSize");
    place(cboSize, 2815, 420, 825, 315);
    for (const char *size : {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26",
                             "28", "32", "36", "40", "48", "56", "72"})
        cboSize->addItem(QLatin1String(size));
    cboSize->setCurrentIndex(-1);

    Frame1 = MakeFrame(Frame2, "Frame1", QStringLiteral("Style"));
    place(Frame1, 135, 780, 3510, 660);
    for (int i = 0; i < 4; ++i) {
        chkStyle[i] = new StyleButton(StylePicture(i), Frame1);
        chkStyle[i]->setObjectName(QStringLiteral("chkStyle(%1)").arg(i));
        place(chkStyle[i], 120 + 840 * i, 270, 735, 255);
        QObject::connect(chkStyle[i], &QAbstractButton::toggled, this,
                         [this, i] { chkStyle_Click(i); });
    }
    chkStyle[0]->setToolTip(QStringLiteral("Bold"));
    chkStyle[1]->setToolTip(QStringLiteral("Italic"));

    Frame3 = MakeFrame(this, "Frame3", QStringLiteral("Colors"));
    place(Frame3, 4065, 60, 1500, 1560);
    picTextCol = new ColorSwatch(Frame3);
    place(picTextCol, 180, 330, 255, 255);
    cmdTextCol = MakeButton(Frame3, "cmdTextCol", QStringLiteral("Text"));
    place(cmdTextCol, 510, 315, 810, 300);
    picShadowCol = new ColorSwatch(Frame3);
    place(picShadowCol, 180, 735, 255, 255);
    cmdShadowCol = MakeButton(Frame3, "cmdShadowCol", QStringLiteral("Shadow"));
    place(cmdShadowCol, 510, 720, 810, 300);
    picCursorCol = new ColorSwatch(Frame3);
    place(picCursorCol, 180, 1125, 255, 255);
    cmdCursorCol = MakeButton(Frame3, "cmdCursorCol", QStringLiteral("Cursor"));
    place(cmdCursorCol, 510, 1110, 810, 300);
    picTextCol->setObjectName(QStringLiteral("picTextCol"));
    picShadowCol->setObjectName(QStringLiteral("picShadowCol"));
    picCursorCol->setObjectName(QStringLiteral("picCursorCol"));

    Frame4 = MakeFrame(this, "Frame4", QStringLiteral("Offset"));
    place(Frame4, 4065, 1665, 1500, 720);
    hsbGap = new QScrollBar(Qt::Horizontal, Frame4);
    hsbGap->setObjectName(QStringLiteral("hsbGap"));
    hsbGap->setRange(-20, 20);
    hsbGap->setSingleStep(1);
    hsbGap->setPageStep(2);
    hsbGap->setValue(0);
    // A drag of the thumb is one change, when it is let go.
    hsbGap->setTracking(false);
    hsbGap->setFocusPolicy(Qt::StrongFocus);
    place(hsbGap, 120, 300, 1245, 255);

    Frame5 = MakeFrame(this, "Frame5", QStringLiteral("Cursor Style"));
    place(Frame5, 4065, 2415, 1500, 705);
    optVertical = new QRadioButton(Frame5);
    optVertical->setObjectName(QStringLiteral("optVertical"));
    place(optVertical, 180, 345, 210, 210);
    Label2 = MakeLabel(Frame5, "Label2", QStringLiteral(" |"));
    Label2->setFont(CaretPictureFont(11.25));
    place(Label2, 420, 285, 255, 255);
    optLateral = new QRadioButton(Frame5);
    optLateral->setObjectName(QStringLiteral("optLateral"));
    place(optLateral, 840, 345, 210, 210);
    Label3 = MakeLabel(Frame5, "Label3", QStringLiteral(" _"));
    Label3->setFont(CaretPictureFont(12.75));
    place(Label3, 1080, 240, 300, 375);
    for (QLabel *picture : {Label2, Label3}) {
        QPalette black = picture->palette();
        black.setColor(QPalette::WindowText, Qt::black);
        picture->setPalette(black);
    }

    Frame6 = MakeFrame(this, "Frame6", QStringLiteral("Sample"));
    place(Frame6, 180, 1665, 3780, 1455);
    picFontSample = new SampleBox(Frame6);
    picFontSample->setObjectName(QStringLiteral("picFontSample"));
    place(picFontSample, 120, 240, 3540, 1095);
    lblSample = MakeLabel(picFontSample->client(), "lblSample", QStringLiteral("AaBbYyZz0123"));
    place(lblSample, 960, 480, 1275, 195);

    cmdOK = MakeButton(this, "cmdOK", QStringLiteral("OK"));
    place(cmdOK, 2775, 3270, 855, 340);
    cmdOK->setDefault(true);
    cmdCancel = MakeButton(this, "cmdCancel", QStringLiteral("Cancel"));
    place(cmdCancel, 3735, 3270, 855, 340);
    cmdHelp = MakeButton(this, "cmdHelp", QStringLiteral("&Help"));
    place(cmdHelp, 4695, 3270, 855, 340);

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
    cmdOK->installEventFilter(this);
    cmdCancel->installEventFilter(this);
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

    if (s.pnFontLoadFlag == 0) {
        const QStringList families = QFontDatabase::families();
        s.pnFontCount = units::Clamp16(families.size());
        s.psFontNames = families.mid(0, s.pnFontCount);
    }
    QStringList names = s.psFontNames.mid(0, std::max<int>(s.pnFontCount, 0));
    // The list is kept in alphabetical order without regard to case.
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    cboFonts->addItems(names);

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
        TakeKeyboardOnceShown(this);
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

void TextPreferences::cboFonts_Click()
{
    QFont font = lblSample->font();
    font.setFamily(cboFonts->currentText());
    setSampleFont(font);
}

void TextPreferences::cboSize_Click()
{
    QFont font = lblSample->font();
    font.setPointSizeF(
        FontPointsFrom(units::ReadNumber(cboSize->currentText()), font.pointSizeF()));
    setSampleFont(font);
}

void TextPreferences::chkStyle_Click(int Index)
{
    if (Index < 0 || Index > 3)
        return;
    const bool on = chkStyle[Index]->value() == 1;
    QFont font = lblSample->font();
    switch (Index) {
    case 0:
        font.setBold(on);
        break;
    case 1:
        font.setItalic(on);
        break;
    case 2:
        font.setUnderline(on);
        break;
    default:
        font.setStrikeOut(on);
        break;
    }
    setSampleFont(font);
}

// --- colours ---------------------------------------------------------------------------------

// Opens the palette window for a slot, or brings it forward (in its place) when it is open,
// and marks the slot's cell on it.
static void ShowPaletteFor(ColorSlot slot)
{
    const Settings &s = gSettings;
    frmColor->Show();
    DrawCell(s.gnColorCol[slot], s.gnColorRow[slot]);
}

void TextPreferences::cmdTextCol_Click()
{
    gSettings.gnColorSlot = SlotText;
    ShowPaletteFor(SlotText);
}

void TextPreferences::cmdShadowCol_Click()
{
    gSettings.gnColorSlot = SlotShadow;
    SetFormTopmost(this, 0);
    ShowPaletteFor(SlotShadow);
}

void TextPreferences::cmdCursorCol_Click()
{
    gSettings.gnColorSlot = SlotCursor;
    SetFormTopmost(this, 0);
    ShowPaletteFor(SlotCursor);
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

    OverlayOwner &owner = OverlayOwner::get();
    SetShadowCaption(owner.inputText());
    ApplyMeasuringFont();
    // An empty line measures no width, whatever the label made of the new font.
    if (owner.horizontalMeasure().caption().isEmpty())
        owner.horizontalMeasure().setWidth(0);
    ApplyTextLook();
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

// Enter on OK or Cancel reaches its key-press handler and nothing else, so it acts once.
bool TextPreferences::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == cmdOK || watched == cmdCancel)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int KeyAscii = 13;
            if (watched == cmdOK)
                cmdOK_KeyPress(KeyAscii);
            else
                cmdCancel_KeyPress(KeyAscii);
            return KeyAscii == 0;
        }
    }
    return QDialog::eventFilter(watched, event);
}
