#include "GeneralPreferences.h"

#include "CaptionFrame.h"
#include "DialogKit.h"
#include "DialogPlacement.h"
#include "Dialogs.h"
#include "core/GeneralRules.h"
#include "forms/Fonts.h"
#include "forms/Help.h"
#include "forms/MessageBox.h"
#include "overlay/OverlayForm.h"
#include "overlay/Topmost.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

// A label as wide as its caption at least: a caption a little wider than its designed width
// ("Bottom" in some renderings of Arial) is shown whole rather than clipped.
QLabel *widenedToCaption(QLabel *label)
{
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    return label;
}

} // namespace

GeneralPreferences::GeneralPreferences()
    : QDialog(nullptr,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                  | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmGeneral"));
    setWindowTitle(QStringLiteral(" Preferences - General"));
    setFont(ArialFont(8.25));
    setFixedSize(TwipsRect(0, 0, 3495, 5115).size());
    const DialogKit kit;
    const FrameLook look = FrameLook::standard();

    Frame2 = kit.frame(this, "Frame2", QStringLiteral("Hot Keys"), look, 120, 30, 3255, 3105);
    static const char *const frameNames[]
        = {"Frame1(0)", "Frame1(1)", "Frame1(2)", "Frame1(3)", "Frame1(4)"};
    Frame1[0]
        = kit.frame(Frame2, frameNames[0], QStringLiteral("Clear Text"), look, 120, 180, 3015, 570);
    Frame1[1] = kit.frame(Frame2, frameNames[1], QStringLiteral("Clear Lines"), look, 120, 750,
                          3015, 570);
    Frame1[2] = kit.frame(Frame2, frameNames[2], QStringLiteral("Restore Text"), look, 120, 1320,
                          3015, 570);
    Frame1[4] = kit.frame(Frame2, frameNames[4], QStringLiteral("Standby for Boss Is Comin'"), look,
                          120, 1890, 3015, 570);
    Frame1[3] = kit.frame(Frame2, frameNames[3], QStringLiteral("Boss Is Comin'."), look, 120, 2460,
                          3015, 525);

    static const char *const altNames[] = {"chkAlt(0)", "chkAlt(1)", "chkAlt(2)", "chkAlt(3)"};
    static const char *const ctrlNames[] = {"chkCtrl(0)", "chkCtrl(1)", "chkCtrl(2)", "chkCtrl(3)"};
    static const char *const keyNames[] = {"cboKey(0)", "cboKey(1)", "cboKey(2)", "cboKey(3)"};
    static const char *const designKeys[] = {"C", "L", "R", "S"};
    QStringList keys;
    for (char c = 'A'; c <= 'Z'; ++c)
        keys << QString(QLatin1Char(c));
    for (char c = '0'; c <= '9'; ++c)
        keys << QString(QLatin1Char(c));
    for (int i = 0; i < 4; ++i) {
        CaptionFrame *row = rowFrame(i);
        chkAlt[i]
            = kit.add<QCheckBox>(row, altNames[i], QStringLiteral("Shift +"), 240, 225, 885, 255);
        // The first row says "Ctrl +"; the others have always read "Crtl +".
        chkCtrl[i] = kit.add<QCheckBox>(
            row, ctrlNames[i], i == 0 ? QStringLiteral("Ctrl +") : QStringLiteral("Crtl +"), 1260,
            225, 885, 255);
        chkCtrl[i]->setChecked(true);
        chkCtrl[i]->setEnabled(false);
        cboKey[i] = kit.add<QComboBox>(row, keyNames[i], 2205, 165, 660, 345);
        cboKey[i]->setEditable(true);
        // What is typed is stored as typed: no completion to a list item, no new list items.
        cboKey[i]->setCompleter(nullptr);
        cboKey[i]->setInsertPolicy(QComboBox::NoInsert);
        cboKey[i]->setFont(ArialFont(9, true));
        cboKey[i]->addItems(keys);
        cboKey[i]->setEditText(QLatin1String(designKeys[i]));
    }

    optStby[0]
        = kit.add<QRadioButton>(Frame1[3], "optStby(0)", QStringLiteral("F10"), 225, 210, 780, 255);
    optStby[1] = kit.add<QRadioButton>(Frame1[3], "optStby(1)", QStringLiteral("F11"), 1245, 210,
                                       780, 255);
    optStby[2] = kit.add<QRadioButton>(Frame1[3], "optStby(2)", QStringLiteral("F12"), 2190, 210,
                                       660, 255);
    for (QRadioButton *option : optStby)
        option->setFont(ArialFont(9, true));
    optStby[2]->setChecked(true);

    Frame3 = kit.frame(this, "Frame3", QStringLiteral("Margin (Effective when restarted)"), look,
                       120, 3180, 3255, 1410);
    // Each margin's label and box, made in this order.
    struct MarginControls
    {
        QLabel **label;
        const char *labelName, *caption;
        int labelLeft, labelTop;
        QLineEdit **box;
        const char *boxName, *text;
        int boxLeft, boxTop;
    };
    const MarginControls margins[] = {
        {&Label3, "Label3", "Top", 975, 225, &txtTopMargin, "txtTopMargin", "0", 1320, 225},
        {&Label1, "Label1", "Left", 240, 525, &txtLeftMargin, "txtLeftMargin", "0", 600, 465},
        {&Label2, "Label2", "Right", 2625, 525, &txtRightMargin, "txtRightMargin", "5", 2040, 465},
        {&Label4, "Label4", "Bottom", 1905, 825, &txtBottomMargin, "txtBottomMargin", "5", 1320,
         705},
    };
    for (const MarginControls &m : margins) {
        *m.label = widenedToCaption(kit.add<QLabel>(Frame3, m.labelName, QLatin1String(m.caption),
                                                    m.labelLeft, m.labelTop, 495, 255));
        *m.box = kit.add<QLineEdit>(Frame3, m.boxName, QLatin1String(m.text), m.boxLeft, m.boxTop,
                                    495, 330);
        (*m.box)->setFont(ArialFont(9, true));
    }
    chkFull = kit.add<QCheckBox>(Frame3, "chkFull", QStringLiteral("Full Screen (No Margin)"), 600,
                                 1065, 2415, 255);

    cmdOK = kit.add<QPushButton>(this, "cmdOK", QStringLiteral("OK"), 360, 4695, 855, 330);
    cmdCancel
        = kit.add<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"), 1320, 4695, 855, 330);
    cmdHelp = kit.add<QPushButton>(this, "cmdHelp", QStringLiteral("&Help"), 2280, 4695, 855, 330);
    // Enter presses OK, unless Cancel or Help has the focus: then it presses that button.
    cmdOK->setDefault(true);
    for (QPushButton *button : {cmdCancel, cmdHelp})
        button->setAutoDefault(true);

    QWidget *order[] = {chkAlt[0],  cboKey[0],    chkAlt[1],     cboKey[1],       chkAlt[2],
                        cboKey[2],  chkAlt[3],    cboKey[3],     optStby[0],      optStby[1],
                        optStby[2], txtTopMargin, txtLeftMargin, txtBottomMargin, txtRightMargin,
                        chkFull,    cmdOK,        cmdCancel,     cmdHelp};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(chkFull, &QCheckBox::toggled, this, [this] { chkFull_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
}

void GeneralPreferences::Form_Load()
{
    const Settings &s = gSettings;
    SetFormTopmost(this, 1);
    CentreOnScreen(this);

    for (int i = 0; i < 4; ++i)
        chkAlt[i]->setChecked(s.gnHotKeyMods[i] == 1);
    for (int i = 0; i < 4; ++i) {
        // An item of the list is chosen as such, so the list opens on it; any other text is
        // shown as it is.
        const int item = cboKey[i]->findText(s.gsHotKeyLetter[i], Qt::MatchExactly);
        if (item >= 0)
            cboKey[i]->setCurrentIndex(item);
        cboKey[i]->setEditText(s.gsHotKeyLetter[i]);
    }
    // A standby key outside F10 to F12 (only a damaged file holds one) shows as F10, the key
    // the standby polling falls back on.
    const bool known = s.gnStandbyKey >= 0 && s.gnStandbyKey <= 2;
    optStby[known ? s.gnStandbyKey : 0]->setChecked(true);

    txtLeftMargin->setText(QString::number(s.gnMarginLeft));
    txtRightMargin->setText(QString::number(s.gnMarginRight));
    txtTopMargin->setText(QString::number(s.gnMarginTop));
    txtBottomMargin->setText(QString::number(s.gnMarginBottom));
    if (s.gnMarginLeft == 0 && s.gnMarginRight == 0 && s.gnMarginTop == 0
        && s.gnMarginBottom == 0) {
        chkFull->setChecked(true);
        for (QLineEdit *box : {txtLeftMargin, txtRightMargin, txtTopMargin, txtBottomMargin})
            box->setEnabled(false);
    }
    BelongToOverlay(this);
}

void GeneralPreferences::Form_Unload()
{
    ReturnToOverlay(this, /*focusInput=*/false);
}

void GeneralPreferences::chkFull_Click()
{
    const bool full = chkFull->isChecked();
    for (QLineEdit *box : {txtLeftMargin, txtRightMargin, txtTopMargin, txtBottomMargin}) {
        if (full)
            box->setText(QStringLiteral("0"));
        box->setEnabled(!full);
    }
}

bool GeneralPreferences::marginsAreNumbers()
{
    // In the order the boxes are visited with Tab, so the first one named is the first one seen.
    const std::pair<QLineEdit *, QLabel *> boxes[] = {{txtTopMargin, Label3},
                                                      {txtLeftMargin, Label1},
                                                      {txtBottomMargin, Label4},
                                                      {txtRightMargin, Label2}};
    for (const auto &[box, label] : boxes) {
        const QString text = box->text();
        if (ReadMarginText(text))
            continue;
        const QString holds = text.trimmed().isEmpty()
            ? QStringLiteral("The %1 margin box is empty.").arg(label->text())
            : QStringLiteral("The %1 margin box holds \"%2\".").arg(label->text(), text);
        MsgBox(holds
                   + QStringLiteral("\r\nA margin is a whole number of pixels from -32768 to "
                                    "32767.\r\nNothing has been stored; correct the box and "
                                    "press OK again."),
               MsgIcon::Exclamation, ProgramBoxTitle(), this);
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
        return false;
    }
    return true;
}

void GeneralPreferences::cmdOK_Click()
{
    if (!marginsAreNumbers())
        return;
    Settings &s = gSettings;
    for (int i = 0; i < 4; ++i)
        s.gnHotKeyMods[i] = chkAlt[i]->isChecked() ? 1 : 0;
    for (int i = 0; i < 4; ++i)
        s.gsHotKeyLetter[i] = cboKey[i]->currentText();
    if (optStby[0]->isChecked())
        s.gnStandbyKey = 0;
    else if (optStby[1]->isChecked())
        s.gnStandbyKey = 1;
    else if (optStby[2]->isChecked())
        s.gnStandbyKey = 2;
    s.gnMarginLeft = *ReadMarginText(txtLeftMargin->text());
    s.gnMarginRight = *ReadMarginText(txtRightMargin->text());
    s.gnMarginTop = *ReadMarginText(txtTopMargin->text());
    s.gnMarginBottom = *ReadMarginText(txtBottomMargin->text());
    LimitMargins();
    frmGeneral.unload();
}

void GeneralPreferences::LimitMargins()
{
    Settings &s = gSettings;
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const Margins limited
        = ::LimitMargins({s.gnMarginLeft, s.gnMarginRight, s.gnMarginTop, s.gnMarginBottom},
                         units::PixelsToTwips(screen.width(), s.gnTwipsX),
                         units::PixelsToTwips(screen.height(), s.gnTwipsY), s.gnTwipsX, s.gnTwipsY);
    s.gnMarginLeft = limited.left;
    s.gnMarginRight = limited.right;
    s.gnMarginTop = limited.top;
    s.gnMarginBottom = limited.bottom;
}

void GeneralPreferences::cmdCancel_Click()
{
    frmGeneral.unload();
}

void GeneralPreferences::reject()
{
    frmGeneral.unload();
}

void GeneralPreferences::cmdHelp_Click()
{
    ShowHelp(this, QStringLiteral("Quillan.hlp"), platform::HELP_CONTEXT_Command,
             HelpTopicPreferences);
}
