// The General preferences dialog: opening from the settings, the full-screen switch, what OK
// stores (and refuses), Cancel, Help, and the window order around it.
#include "HelpRecorder.h"
#include "ProgramFixture.h"

#include "dialogs/AboutBox.h"
#include "dialogs/CaptionFrame.h"
#include "dialogs/Dialogs.h"
#include "dialogs/GeneralPreferences.h"
#include "dialogs/PaletteWindow.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

bool isTopmost(const QWidget &w)
{
    return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

class GeneralPreferencesTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        startProgram();
        boxes.clear(); // the first start's message
    }

    GeneralPreferences &open() { return *frmGeneral; }

    // Every stored setting, as the file would hold it.
    static QByteArray storedSettings() { return EncodeSettings(gSettings).bytes; }

    static void setMargins(GeneralPreferences &d, const QString &left, const QString &right,
                           const QString &top, const QString &bottom)
    {
        d.chkFull->setChecked(false);
        d.txtLeftMargin->setText(left);
        d.txtRightMargin->setText(right);
        d.txtTopMargin->setText(top);
        d.txtBottomMargin->setText(bottom);
    }

    std::array<QLineEdit *, 4> marginBoxes(GeneralPreferences &d)
    {
        return {d.txtLeftMargin, d.txtRightMargin, d.txtTopMargin, d.txtBottomMargin};
    }
};

} // namespace

TEST_F(GeneralPreferencesTest, LaidOutInTwipsWithItsCaptions)
{
    GeneralPreferences &d = open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral(" Preferences - General"));
    // 3495 x 5115 twips at 15 twips per pixel.
    EXPECT_EQ(d.size(), QSize(233, 341));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());

    EXPECT_EQ(d.Frame2->caption(), QStringLiteral("Hot Keys"));
    EXPECT_EQ(d.Frame2->geometry(), QRect(8, 2, 217, 207));
    const char *const rowCaptions[] = {"Clear Text", "Clear Lines", "Restore Text",
                                       "Boss Is Comin'.", "Standby for Boss Is Comin'"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(d.Frame1[i]->caption(), QLatin1String(rowCaptions[i])) << i;
        EXPECT_EQ(d.Frame1[i]->parentWidget(), d.Frame2);
    }
    EXPECT_EQ(d.Frame1[0]->geometry(), QRect(8, 12, 201, 38));
    EXPECT_EQ(d.Frame1[4]->geometry(), QRect(8, 126, 201, 38));
    EXPECT_EQ(d.Frame1[3]->geometry(), QRect(8, 164, 201, 35));

    for (int i = 0; i < 4; ++i) {
        QWidget *row = d.Frame1[i == 3 ? 4 : i];
        EXPECT_EQ(d.chkAlt[i]->parentWidget(), row) << i;
        EXPECT_EQ(d.chkAlt[i]->text(), QStringLiteral("Shift +"));
        EXPECT_EQ(d.chkAlt[i]->geometry(), QRect(16, 15, 59, 17));
        EXPECT_EQ(d.chkCtrl[i]->text(),
                  i == 0 ? QStringLiteral("Ctrl +") : QStringLiteral("Crtl +"));
        EXPECT_TRUE(d.chkCtrl[i]->isChecked());
        EXPECT_FALSE(d.chkCtrl[i]->isEnabled());
        EXPECT_EQ(d.cboKey[i]->geometry(), QRect(147, 11, 44, 23));
        EXPECT_TRUE(d.cboKey[i]->isEditable());
        ASSERT_EQ(d.cboKey[i]->count(), 36);
        EXPECT_EQ(d.cboKey[i]->itemText(0), QStringLiteral("A"));
        EXPECT_EQ(d.cboKey[i]->itemText(25), QStringLiteral("Z"));
        EXPECT_EQ(d.cboKey[i]->itemText(26), QStringLiteral("0"));
        EXPECT_EQ(d.cboKey[i]->itemText(35), QStringLiteral("9"));
        EXPECT_TRUE(d.cboKey[i]->font().bold());
    }
    const char *const options[] = {"F10", "F11", "F12"};
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(d.optStby[n]->text(), QLatin1String(options[n]));
        EXPECT_EQ(d.optStby[n]->parentWidget(), d.Frame1[3]);
        EXPECT_TRUE(d.optStby[n]->font().bold());
    }

    EXPECT_EQ(d.Frame3->caption(), QStringLiteral("Margin (Effective when restarted)"));
    EXPECT_EQ(d.Frame3->geometry(), QRect(8, 212, 217, 94));
    EXPECT_EQ(d.txtTopMargin->geometry(), QRect(88, 15, 33, 22));
    EXPECT_EQ(d.txtLeftMargin->geometry(), QRect(40, 31, 33, 22));
    EXPECT_EQ(d.txtRightMargin->geometry(), QRect(136, 31, 33, 22));
    EXPECT_EQ(d.txtBottomMargin->geometry(), QRect(88, 47, 33, 22));
    EXPECT_TRUE(d.txtLeftMargin->font().bold());
    EXPECT_EQ(d.Label4->text(), QStringLiteral("Bottom"));
    // A caption is never cut off: the label is at least as wide as its text.
    for (QLabel *label : {d.Label1, d.Label2, d.Label3, d.Label4})
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    EXPECT_EQ(d.chkFull->text(), QStringLiteral("Full Screen (No Margin)"));
    EXPECT_EQ(d.chkFull->geometry(), QRect(40, 71, 161, 17));

    EXPECT_EQ(d.cmdOK->geometry(), QRect(24, 313, 57, 22));
    EXPECT_EQ(d.cmdCancel->geometry(), QRect(88, 313, 57, 22));
    EXPECT_EQ(d.cmdHelp->geometry(), QRect(152, 313, 57, 22));
    EXPECT_EQ(d.cmdHelp->text(), QStringLiteral("&Help"));
    EXPECT_TRUE(d.cmdOK->isDefault());
    // Enter presses Cancel or Help while it has the focus.
    EXPECT_TRUE(d.cmdCancel->autoDefault());
    EXPECT_TRUE(d.cmdHelp->autoDefault());
}

TEST_F(GeneralPreferencesTest, CentredOnTheScreenAndTopmost)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    GeneralPreferences &d = open();
    // (screen - dialog) in twips, halved and truncated, in pixels.
    const int left = (screen.width() * 15 - 3495) / 2;
    const int top = (screen.height() * 15 - 5115) / 2;
    EXPECT_EQ(d.pos(), QPoint(int(std::lround(left / 15.0)), int(std::lround(top / 15.0))));
    if (screen == QSize(800, 600)) {
        EXPECT_EQ(d.pos(), QPoint(283, 129));
    }
    EXPECT_TRUE(isTopmost(d));
}

TEST_F(GeneralPreferencesTest, TabOrderFollowsTheRowsThenTheMarginsThenTheButtons)
{
    GeneralPreferences &d = open();
    const std::vector<QWidget *> expected
        = {d.chkAlt[0],  d.cboKey[0],    d.chkAlt[1],     d.cboKey[1],       d.chkAlt[2],
           d.cboKey[2],  d.chkAlt[3],    d.cboKey[3],     d.optStby[0],      d.optStby[1],
           d.optStby[2], d.txtTopMargin, d.txtLeftMargin, d.txtBottomMargin, d.txtRightMargin,
           d.chkFull,    d.cmdOK,        d.cmdCancel,     d.cmdHelp};
    std::vector<QWidget *> chain;
    QWidget *w = d.chkAlt[0];
    do {
        if (std::find(expected.begin(), expected.end(), w) != expected.end())
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != d.chkAlt[0] && chain.size() < expected.size());
    EXPECT_EQ(chain, expected);
}

TEST_F(GeneralPreferencesTest, OpensOnTheDefaultSettings)
{
    GeneralPreferences &d = open();
    const char *const letters[] = {"C", "L", "R", "S"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(d.chkAlt[i]->isChecked()) << i;
        EXPECT_EQ(d.cboKey[i]->currentText(), QLatin1String(letters[i]));
    }
    EXPECT_TRUE(d.optStby[0]->isChecked());
    // No margins: full screen, the four boxes disabled at "0".
    EXPECT_TRUE(d.chkFull->isChecked());
    for (QLineEdit *box : marginBoxes(d)) {
        EXPECT_EQ(box->text(), QStringLiteral("0"));
        EXPECT_FALSE(box->isEnabled());
    }
}

TEST_F(GeneralPreferencesTest, OpensOnStoredValuesOfEveryKind)
{
    Settings &s = gSettings;
    s.gnHotKeyMods = {1, 0, 2, -1};
    s.gsHotKeyLetter = {QStringLiteral("x"), QString(), QStringLiteral("Q7"), QStringLiteral("5")};
    s.gnStandbyKey = 1;
    s.gnMarginLeft = 12;
    s.gnMarginRight = -5;
    s.gnMarginTop = 0;
    s.gnMarginBottom = 300;
    {
        GeneralPreferences &d = open();
        // Only 1 means Shift; anything else a damaged file holds shows as Ctrl alone.
        EXPECT_TRUE(d.chkAlt[0]->isChecked());
        EXPECT_FALSE(d.chkAlt[1]->isChecked());
        EXPECT_FALSE(d.chkAlt[2]->isChecked());
        EXPECT_FALSE(d.chkAlt[3]->isChecked());
        EXPECT_EQ(d.cboKey[0]->currentText(), QStringLiteral("x"));
        EXPECT_EQ(d.cboKey[1]->currentText(), QString());
        EXPECT_EQ(d.cboKey[2]->currentText(), QStringLiteral("Q7"));
        EXPECT_EQ(d.cboKey[3]->currentText(), QStringLiteral("5"));
        EXPECT_EQ(d.cboKey[3]->currentIndex(), 26 + 5) << "a list item is chosen as such";
        EXPECT_TRUE(d.optStby[1]->isChecked());
        EXPECT_EQ(d.txtLeftMargin->text(), QStringLiteral("12"));
        EXPECT_EQ(d.txtRightMargin->text(), QStringLiteral("-5"));
        EXPECT_EQ(d.txtTopMargin->text(), QStringLiteral("0"));
        EXPECT_EQ(d.txtBottomMargin->text(), QStringLiteral("300"));
        EXPECT_FALSE(d.chkFull->isChecked());
        for (QLineEdit *box : marginBoxes(d))
            EXPECT_TRUE(box->isEnabled());
        d.cmdCancel_Click();
    }
    for (int16_t key : {int16_t(3), int16_t(-1), int16_t(32767)}) {
        s.gnStandbyKey = key;
        GeneralPreferences &d = open();
        EXPECT_TRUE(d.optStby[0]->isChecked()) << "standby key " << key << " shows as F10";
        d.cmdOK_Click();
        EXPECT_EQ(s.gnStandbyKey, 0) << "and OK stores what is shown";
        EXPECT_EQ(s.gnHotKeyMods, (std::array<int16_t, 4> {1, 0, 0, 0}));
    }
    s.gnStandbyKey = 2;
    EXPECT_TRUE(open().optStby[2]->isChecked());
}

TEST_F(GeneralPreferencesTest, TheFullScreenSwitchBothWays)
{
    gSettings.gnMarginLeft = 10;
    gSettings.gnMarginRight = 20;
    gSettings.gnMarginTop = 30;
    gSettings.gnMarginBottom = 40;
    GeneralPreferences &d = open();
    ASSERT_FALSE(d.chkFull->isChecked());
    d.chkFull->setChecked(true);
    for (QLineEdit *box : marginBoxes(d)) {
        EXPECT_EQ(box->text(), QStringLiteral("0"));
        EXPECT_FALSE(box->isEnabled());
    }
    QTest::mouseClick(d.chkFull, Qt::LeftButton);
    EXPECT_FALSE(d.chkFull->isChecked());
    for (QLineEdit *box : marginBoxes(d)) {
        EXPECT_EQ(box->text(), QStringLiteral("0")) << "the texts stay at 0";
        EXPECT_TRUE(box->isEnabled());
    }
    // Checked again and OK: four zero margins.
    d.chkFull->setChecked(true);
    d.cmdOK_Click();
    EXPECT_EQ(gSettings.gnMarginLeft, 0);
    EXPECT_EQ(gSettings.gnMarginRight, 0);
    EXPECT_EQ(gSettings.gnMarginTop, 0);
    EXPECT_EQ(gSettings.gnMarginBottom, 0);
}

TEST_F(GeneralPreferencesTest, OkStoresHotKeysStandbyKeyAndMargins)
{
    GeneralPreferences &d = open();
    d.chkAlt[1]->setChecked(true);
    d.chkAlt[3]->setChecked(true);
    // Typed: stored as typed, a lower-case letter included; an empty box stores an empty letter.
    d.cboKey[0]->lineEdit()->clear();
    d.cboKey[2]->lineEdit()->selectAll();
    QTest::keyClicks(d.cboKey[2]->lineEdit(), QStringLiteral("q"));
    d.cboKey[3]->setCurrentIndex(d.cboKey[3]->findText(QStringLiteral("5")));
    d.optStby[2]->setChecked(true);
    setMargins(d, QStringLiteral(" 12 "), QStringLiteral("2.5"), QStringLiteral("-3"),
               QStringLiteral("7.5"));
    QTest::mouseClick(d.cmdOK, Qt::LeftButton);

    EXPECT_FALSE(frmGeneral.isLoaded());
    EXPECT_TRUE(boxes.empty());
    const Settings &s = gSettings;
    EXPECT_EQ(s.gnHotKeyMods, (std::array<int16_t, 4> {0, 1, 0, 1}));
    EXPECT_EQ(s.gsHotKeyLetter[0], QString());
    EXPECT_EQ(s.gsHotKeyLetter[1], QStringLiteral("L"));
    EXPECT_EQ(s.gsHotKeyLetter[2], QStringLiteral("q"));
    EXPECT_EQ(s.gsHotKeyLetter[3], QStringLiteral("5"));
    EXPECT_EQ(s.gnStandbyKey, 2);
    EXPECT_EQ(s.gnMarginLeft, 12);
    EXPECT_EQ(s.gnMarginRight, 2);
    EXPECT_EQ(s.gnMarginTop, -3);
    EXPECT_EQ(s.gnMarginBottom, 8);
    // The dialog's values are in the settings; the file is written only at the end.
    EXPECT_TRUE(readSettingsFile().isEmpty());
}

TEST_F(GeneralPreferencesTest, OkLimitsTheMarginsToAThirdOfThisScreen)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const int16_t across = int16_t(std::lround(screen.width() / 3.0));
    const int16_t down = int16_t(std::lround(screen.height() / 3.0));
    struct Row
    {
        int left, right, top, bottom;
        int16_t wantLeft, wantRight, wantTop, wantBottom;
    };
    const Row rows[] = {
        {across + 59, 10, down + 44, 5, across, 0, down, 0},
        {10, across + 1, 5, down + 1, 0, across, 0, down},
        {across - 1, across - 1, down - 1, down - 1, int16_t(across - 1), int16_t(across - 1),
         int16_t(down - 1), int16_t(down - 1)},
        {32767, 32767, -32768, -32768, across, 0, -32768, -32768},
    };
    for (const Row &row : rows) {
        GeneralPreferences &d = open();
        setMargins(d, QString::number(row.left), QString::number(row.right),
                   QString::number(row.top), QString::number(row.bottom));
        d.cmdOK_Click();
        EXPECT_EQ(gSettings.gnMarginLeft, row.wantLeft) << row.left << "/" << row.right;
        EXPECT_EQ(gSettings.gnMarginRight, row.wantRight) << row.left << "/" << row.right;
        EXPECT_EQ(gSettings.gnMarginTop, row.wantTop) << row.top << "/" << row.bottom;
        EXPECT_EQ(gSettings.gnMarginBottom, row.wantBottom) << row.top << "/" << row.bottom;
    }
}

TEST_F(GeneralPreferencesTest, CancelEscapeAndTheCloseBoxStoreNothing)
{
    const QByteArray before = storedSettings();
    const std::function<void(GeneralPreferences &)> closers[] = {
        [](GeneralPreferences &d) { QTest::mouseClick(d.cmdCancel, Qt::LeftButton); },
        [](GeneralPreferences &d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](GeneralPreferences &d) { d.close(); },
    };
    for (const auto &close : closers) {
        GeneralPreferences &d = open();
        d.show();
        d.chkAlt[0]->setChecked(true);
        d.cboKey[1]->setEditText(QStringLiteral("Z"));
        d.optStby[1]->setChecked(true);
        setMargins(d, QStringLiteral("40"), QStringLiteral("50"), QStringLiteral("60"),
                   QStringLiteral("70"));
        close(d);
        EXPECT_FALSE(frmGeneral.isLoaded());
        EXPECT_EQ(storedSettings(), before);
    }
}

TEST_F(GeneralPreferencesTest, EachBadMarginIsNamedAndNothingIsStored)
{
    const QByteArray before = storedSettings();
    const char *const texts[] = {"abc", "12.5x", "99999", "", "32768", "1e3"};
    const char *const names[] = {"Left", "Right", "Top", "Bottom"};
    for (int which = 0; which < 4; ++which) {
        for (const char *bad : texts) {
            boxes.clear();
            GeneralPreferences &d = open();
            d.chkAlt[2]->setChecked(true); // an edit that must not be stored either
            QStringList margins {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                 QStringLiteral("4")};
            margins[which] = QLatin1String(bad);
            setMargins(d, margins[0], margins[1], margins[2], margins[3]);
            d.cmdOK_Click();

            ASSERT_EQ(boxes.size(), 1u) << names[which] << " " << bad;
            const QString text = boxes[0].text;
            EXPECT_TRUE(
                text.contains(QStringLiteral("The %1 margin box").arg(QLatin1String(names[which]))))
                << text.toStdString();
            if (*bad)
                EXPECT_TRUE(text.contains(QStringLiteral("\"%1\"").arg(QLatin1String(bad))))
                    << text.toStdString();
            else
                EXPECT_TRUE(text.contains(QStringLiteral("is empty"))) << text.toStdString();
            EXPECT_EQ(boxes[0].icon, MsgIcon::Exclamation);

            ASSERT_TRUE(frmGeneral.isLoaded()) << "the dialog stays open";
            QLineEdit *box = marginBoxes(d)[std::size_t(which)];
            EXPECT_EQ(d.focusWidget(), box);
            EXPECT_EQ(box->selectedText(), QLatin1String(bad));
            EXPECT_EQ(storedSettings(), before);
            d.cmdCancel_Click();
        }
    }
}

TEST_F(GeneralPreferencesTest, TheFirstBadBoxInTabOrderIsNamed)
{
    GeneralPreferences &d = open();
    setMargins(d, QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"),
               QStringLiteral("w"));
    d.cmdOK_Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("The Top margin box holds \"z\".")));
    EXPECT_EQ(d.focusWidget(), d.txtTopMargin);
}

TEST_F(GeneralPreferencesTest, HelpOpensThePreferencesTopic)
{
    HelpRecorder *help = &recordHelp();
    QFile file(AppPathSlash() + QStringLiteral("Quillan.hlp"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body><a name=\"topic-10\">x</a></body></html>");
    file.close();

    GeneralPreferences &d = open();
    QTest::mouseClick(d.cmdHelp, Qt::LeftButton);
    ASSERT_EQ(help->requests.size(), 1u);
    EXPECT_EQ(help->requests[0].owner, platform::NativeWindow(d.winId()));
    EXPECT_EQ(QString::fromStdString(help->requests[0].file),
              AppPathSlash() + QStringLiteral("Quillan.hlp"));
    EXPECT_EQ(help->requests[0].command, platform::HELP_CONTEXT_Command);
    EXPECT_EQ(help->requests[0].data, 10ul);
    EXPECT_TRUE(frmGeneral.isLoaded()) << "help leaves the dialog open";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GeneralPreferencesTest, TheMenuCommandShowsItModalAndPutsTheOverlayBackOnTop)
{
    ASSERT_TRUE(isTopmost(overlay()));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *d = dynamic_cast<GeneralPreferences *>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr) << "the dialog is modal";
        seen = true;
        EXPECT_TRUE(d->isVisible());
        EXPECT_TRUE(isTopmost(*d));
        EXPECT_FALSE(isTopmost(overlay())) << "the overlay steps out of the band meanwhile";
        d->txtLeftMargin->setEnabled(true);
        setMargins(*d, QStringLiteral("25"), QStringLiteral("0"), QStringLiteral("15"),
                   QStringLiteral("0"));
        QTest::keyClick(d->txtRightMargin, Qt::Key_Return); // Enter presses OK
    });
    main().mnuPrefsGeneral_Click();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(frmGeneral.isLoaded());
    EXPECT_TRUE(isTopmost(overlay()));
    EXPECT_EQ(gSettings.gnMarginLeft, 25);
    EXPECT_EQ(gSettings.gnMarginTop, 15);
}

TEST_F(GeneralPreferencesTest, TheGeneralAndAboutCommandsCloseThePaletteWindowFirst)
{
    main().mnuModeLines_Click();
    for (void (MainForm::*command)() :
         {&MainForm::mnuPrefsGeneral_Click, &MainForm::mnuAbout_Click}) {
        main().mnuPrefsLines_Click();
        ASSERT_TRUE(frmColor.isLoaded());
        bool paletteClosed = false;
        QTimer::singleShot(0, [&] {
            paletteClosed = !frmColor.isLoaded();
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        (main().*command)();
        EXPECT_TRUE(paletteClosed);
        EXPECT_FALSE(frmGeneral.isLoaded());
        EXPECT_FALSE(frmInfo.isLoaded());
    }
}

TEST_F(GeneralPreferencesTest, TwoRowsWithOneLetterRunTheFirstRowOnly)
{
    GeneralPreferences &d = open();
    for (QCheckBox *shift : d.chkAlt)
        shift->setChecked(false);
    d.cboKey[1]->setCurrentIndex(d.cboKey[1]->findText(QStringLiteral("L")));
    d.cboKey[3]->setCurrentIndex(d.cboKey[3]->findText(QStringLiteral("L")));
    d.cmdOK_Click();
    gSettings.gbLinesShown = True;

    main().txtInput_KeyDown('L', 2); // Ctrl+L
    EXPECT_EQ(gSettings.gbLinesShown, False) << "Clear Lines ran";
    EXPECT_FALSE(main().tmrCapKeyEvent.isActive()) << "Standby did not";
    // Ctrl+S, Standby's old key, is no hot key any more.
    main().txtInput_KeyDown('S', 2);
    EXPECT_FALSE(main().tmrCapKeyEvent.isActive());
}
