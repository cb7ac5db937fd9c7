#pragma once

#include <QDialog>

#include <array>

class CaptionFrame;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// `frmGeneral`, the modal dialog " Preferences - General": the four hot keys, the standby return
// key and the four overlay margins. OK stores them into the settings (the margins limited to a
// third of the screen per pair); Cancel and the close box store nothing.
class GeneralPreferences : public QDialog
{
public:
    GeneralPreferences();

    void Form_Load();
    void Form_Unload();
    void chkFull_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

    CaptionFrame *Frame2; // "Hot Keys"
    // The rows: 0 Clear Text, 1 Clear Lines, 2 Restore Text, 4 Standby; 3 is the standby return.
    std::array<CaptionFrame *, 5> Frame1 {};
    std::array<QCheckBox *, 4> chkAlt {}; // indexed by hot-key row
    std::array<QCheckBox *, 4> chkCtrl {};
    std::array<QComboBox *, 4> cboKey {};
    std::array<QRadioButton *, 3> optStby {};
    CaptionFrame *Frame3; // the margins
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLineEdit *txtLeftMargin;
    QLineEdit *txtRightMargin;
    QLineEdit *txtTopMargin;
    QLineEdit *txtBottomMargin;
    QCheckBox *chkFull;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QPushButton *cmdHelp;

    // Esc and the close box.
    void reject() override;

private:
    // The frame a hot-key row's controls sit in.
    CaptionFrame *rowFrame(int row) const { return Frame1[row == 3 ? 4 : row]; }
    // Checks the four margin boxes: false, after saying which box holds what and putting the
    // focus on it, when one does not hold a 16-bit whole number.
    bool marginsAreNumbers();
    void LimitMargins();
};
