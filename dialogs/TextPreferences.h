#pragma once

#include <QDialog>

#include <array>
#include <functional>

class ColorSwatch;
class CaptionFrame;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class SampleBox;
class StyleButton;

// `frmFont`, " Preferences - Text": the face, size and styles of the overlay's text, the colours
// of the text, its shadow and the caret (picked in the palette window beside it), the shadow's
// offset and the caret's style. Modeless; OK applies the font to the overlay at once, Cancel
// leaves the font as it was. The offset and the caret style take effect as they change.
//
// The layout is in twips, converted with gnTwipsX and gnTwipsY; each control's position is
// relative to its container (the form, a frame, or the sample picture's inside).
class TextPreferences : public QDialog
{
public:
    TextPreferences();
    ~TextPreferences() override;

    void Form_Load();
    void Form_Unload();

    void cboFonts_Click();
    void cboSize_Click();
    void chkStyle_Click(int Index);
    void cmdTextCol_Click();
    void cmdShadowCol_Click();
    void cmdCursorCol_Click();
    void picTextCol_Click();
    void picShadowCol_Click();
    void picCursorcol_Click();
    void hsbGap_Change();
    void optVertical_Click();
    void optLateral_Click();
    void cmdOK_Click();
    void cmdOK_KeyPress(int &KeyAscii);
    void cmdCancel_Click();
    void cmdCancel_KeyPress(int &KeyAscii);
    void cmdHelp_Click();

    // Puts lblSample in the middle of picFontSample by the halving rule.
    void CenterSample();

    // "Show frmFont modeless": shows the dialog with the focus in cboFonts, or brings it forward
    // when it is open already.
    void Show();

    CaptionFrame *Frame2; // "Font"
    QLabel *Label5; // "Name"
    QLabel *Label1; // "Size"
    QComboBox *cboFonts;
    QComboBox *cboSize;
    CaptionFrame *Frame1; // "Style"
    std::array<StyleButton *, 4> chkStyle {};
    CaptionFrame *Frame3; // "Colors"
    ColorSwatch *picTextCol;
    QPushButton *cmdTextCol;
    ColorSwatch *picShadowCol;
    QPushButton *cmdShadowCol;
    ColorSwatch *picCursorCol;
    QPushButton *cmdCursorCol;
    CaptionFrame *Frame4; // "Offset: n"
    QScrollBar *hsbGap;
    CaptionFrame *Frame5; // "Cursor Style"
    QRadioButton *optVertical;
    QLabel *Label2; // " |"
    QRadioButton *optLateral;
    QLabel *Label3; // " _"
    CaptionFrame *Frame6; // "Sample"
    SampleBox *picFontSample;
    QLabel *lblSample;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QPushButton *cmdHelp;

protected:
    void closeEvent(QCloseEvent *event) override;
    // Esc.
    void reject() override;

private:
    // The sample label's font changed: it sizes itself to its text again and is centred.
    void setSampleFont(const QFont &font);
    // The sample's font with one change made to it.
    void changeSampleFont(const std::function<void(QFont &)> &change);
    // The palette window for a colour slot (text, shadow, caret).
    void pickColour(int slot);
    // Closes the palette window, then this dialog (running its Form_Unload).
    void closeBoth();
};
