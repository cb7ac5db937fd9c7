#pragma once

#include "core/AboutLayout.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>

class CaptionFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// `frmInfo`, the About box: the product, its version and icon, the copyright and the maker, the
// rights notice scrolling through a text box, and the distribution notice. It lays itself out
// around the widest notice line and stays above the overlay while open.
class AboutBox : public QDialog
{
public:
    AboutBox();

    void Form_Load();
    void Form_Unload();
    void Timer1_Timer();
    void cmdOK_Click();
    void cmdOK_KeyPress(int &KeyAscii);

    // The texts the box shows.
    static QString NoticeLine(int index); // 0 to 4
    static QString RightsSentence(); // "All rights reserved."
    static QString VersionLine();
    static QString CopyrightLine();
    static QString MakerName();

    CaptionFrame *Frame1;
    QLabel *lblAppname;
    QLabel *lblVersion;
    QLabel *imgMain;
    QLabel *lblCopyright;
    QLabel *lblName;
    QLineEdit *txtAllrights;
    CaptionFrame *Frame2;
    std::array<QLabel *, 5> lblNotice {};
    QPushButton *cmdOK;
    QTimer Timer1;

    QString psTicker;
    int16_t nTickerPos = 0;

    // The layout Form_Load made, in twips.
    const AboutLayout &layout() const { return m_layout; }

    void reject() override;

protected:
private:
    AboutLayout m_layout;
};
