// The About box: its texts, its layout around the widest notice line, the ticker, and closing.
#include "ProgramFixture.h"

#include "dialogs/AboutBox.h"
#include "dialogs/CaptionFrame.h"
#include "dialogs/Dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

bool isTopmost(const QWidget &w)
{
    return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

class AboutBoxTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        startProgram();
    }
};

// Left edges are centred in Frame1 with the half pixel dropped.
void expectCentred(const QWidget *frame, const QWidget *item)
{
    const int slack = frame->width() - item->width() - 2 * item->x();
    EXPECT_TRUE(slack == 0 || slack == 1) << item->objectName().toStdString() << " slack " << slack;
}

} // namespace

TEST(AboutTexts, TheNoticeTheRightsAndTheVersion)
{
    int longest = 0;
    for (int i = 0; i < 5; ++i) {
        const QString line = AboutBox::NoticeLine(i);
        EXPECT_GE(line.size(), 39) << i;
        EXPECT_LE(line.size(), 46) << i;
        longest = std::max<int>(longest, int(line.size()));
    }
    EXPECT_EQ(AboutBox::NoticeLine(3).size(), longest);
    for (int i : {0, 1, 2, 4})
        EXPECT_LT(AboutBox::NoticeLine(i).size(), longest) << "line 3 alone is the longest";
    EXPECT_EQ(AboutBox::RightsSentence(), QStringLiteral("All rights reserved."));
    EXPECT_EQ(AboutBox::RightsSentence().size(), 20);
    EXPECT_EQ(AboutBox::VersionLine(), QStringLiteral("Version " QUILLAN_VERSION));
    EXPECT_TRUE(AboutBox::CopyrightLine().contains(QChar(0xA9)));
}

TEST_F(AboutBoxTest, LaysItselfOutAroundTheWidestNoticeLine)
{
    AboutBox &a = *frmInfo;
    EXPECT_EQ(a.windowTitle(), QStringLiteral(" About Vyn Quillane"));
    EXPECT_EQ(a.lblAppname->text(), QStringLiteral("Vyn Quillane (32bit)"));
    EXPECT_EQ(a.lblVersion->text(), AboutBox::VersionLine());
    EXPECT_EQ(a.lblName->text(), AboutBox::MakerName());
    EXPECT_TRUE(isTopmost(a));

    // In twips at 15 twips per pixel: 480 is 32 pixels, 240 is 16, 210 is 14, 120 is 8.
    QLabel *widest = a.lblNotice[3];
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(a.lblNotice[i]->text(), AboutBox::NoticeLine(i));
        EXPECT_EQ(a.lblNotice[i]->width(), a.lblNotice[i]->sizeHint().width()) << "auto-sized";
        EXPECT_LE(a.lblNotice[i]->width(), widest->width()) << "line 3 is the widest shown";
    }
    EXPECT_EQ(a.Frame1->width(), widest->width() + 32);
    EXPECT_EQ(a.width(), a.Frame1->width() + 16);
    EXPECT_EQ(a.Frame2->width(), a.Frame1->width() - 16);
    EXPECT_EQ(a.layout().frame1.width, a.layout().notices[3].width + 480);
    EXPECT_EQ(a.layout().width, a.layout().frame1.width + 240);
    EXPECT_EQ(a.Frame1->x(), 8);
    EXPECT_EQ(a.Frame1->y(), -1); // -10 twips

    EXPECT_EQ(a.lblNotice[0]->y(), a.Frame2->y() + 8);
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(a.lblNotice[i]->y() - a.lblNotice[i - 1]->y(), 14) << i;
    for (QWidget *item : std::initializer_list<QWidget *> {
             a.lblAppname, a.lblVersion, a.imgMain, a.lblCopyright, a.lblName, a.txtAllrights,
             a.Frame2, a.cmdOK, a.lblNotice[0], a.lblNotice[2], a.lblNotice[4]})
        expectCentred(a.Frame1, item);

    // Top to bottom without overlapping, and everything but the OK button inside Frame1.
    const QWidget *column[] = {a.lblAppname, a.lblVersion,   a.imgMain, a.lblCopyright,
                               a.lblName,    a.txtAllrights, a.Frame2,  a.lblNotice[0]};
    for (std::size_t i = 1; i < std::size(column); ++i)
        EXPECT_GE(column[i]->y(), column[i - 1]->geometry().bottom()) << i;
    EXPECT_EQ(a.imgMain->size(), QSize(32, 32));
    EXPECT_EQ(a.Frame1->height(), a.lblNotice[4]->geometry().bottom() + 1 + 8);
    // Frame1's height, its top (-10 twips) and 90 twips: 5 pixels more.
    EXPECT_EQ(a.height(), a.Frame1->height() + 5);
    EXPECT_GT(a.cmdOK->y(), a.Frame1->height()) << "the button stays below the visible area";
    EXPECT_EQ(a.cmdOK->y(), 370); // 5550 twips
}

TEST_F(AboutBoxTest, TheIconIsAMonitorWithYellowWritingOnBlue)
{
    const QImage icon = frmInfo->imgMain->pixmap().toImage();
    ASSERT_EQ(icon.size(), QSize(32, 32));
    int blue = 0, yellow = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QColor c = icon.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 40 && c.green() < 40)
                ++blue;
            if (c.red() > 200 && c.green() > 200 && c.blue() < 80)
                ++yellow;
        }
    }
    EXPECT_GT(blue, 150);
    EXPECT_GT(yellow, 20);
    EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0) << "transparent around the monitor";
}

TEST_F(AboutBoxTest, TheTickerCyclesIn107Ticks)
{
    AboutBox &a = *frmInfo;
    EXPECT_EQ(a.Timer1.interval(), 127);
    EXPECT_TRUE(a.Timer1.isActive());
    const QString spaces(33, QLatin1Char(' '));
    EXPECT_EQ(a.psTicker,
              spaces + AboutBox::RightsSentence() + spaces + AboutBox::RightsSentence());
    ASSERT_EQ(a.psTicker.size(), 106);
    EXPECT_EQ(a.txtAllrights->text(), AboutBox::RightsSentence()) << "before the first tick";

    a.Timer1.stop(); // the test ticks by hand
    for (int round = 0; round < 2; ++round) {
        for (int tick = 0; tick < 107; ++tick) {
            a.Timer1_Timer();
            ASSERT_EQ(a.txtAllrights->text(), a.psTicker.mid(tick)) << round << "/" << tick;
            ASSERT_EQ(a.txtAllrights->cursorPosition(), 0) << "shown from its first character";
        }
        EXPECT_TRUE(a.txtAllrights->text().isEmpty()) << "the last cut is an empty box";
    }
    a.Timer1_Timer();
    EXPECT_EQ(a.txtAllrights->text(), a.psTicker);
}

TEST_F(AboutBoxTest, EnterOnTheButtonClosesItOtherKeysDoNot)
{
    AboutBox &a = *frmInfo;
    QTest::keyClick(a.cmdOK, Qt::Key_A);
    QTest::keyClick(a.cmdOK, Qt::Key_Tab);
    EXPECT_TRUE(frmInfo.isLoaded());
    int KeyAscii = 65;
    a.cmdOK_KeyPress(KeyAscii);
    EXPECT_EQ(KeyAscii, 65);
    EXPECT_TRUE(frmInfo.isLoaded());

    KeyAscii = 13;
    a.cmdOK_KeyPress(KeyAscii);
    EXPECT_EQ(KeyAscii, 0) << "the key goes no further";
    EXPECT_FALSE(frmInfo.isLoaded());
}

TEST_F(AboutBoxTest, TheMenuCommandShowsItModalAndEnterPutsTheOverlayBackOnTop)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *a = dynamic_cast<AboutBox *>(QApplication::activeModalWidget());
        ASSERT_NE(a, nullptr) << "the About box is modal";
        seen = true;
        EXPECT_TRUE(isTopmost(*a));
        EXPECT_FALSE(isTopmost(overlay()));
        EXPECT_EQ(a->focusWidget(), a->cmdOK);
        QTest::keyClick(a->cmdOK, Qt::Key_Return);
    });
    main().mnuAbout_Click();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(frmInfo.isLoaded());
    EXPECT_TRUE(isTopmost(overlay()));
}

TEST_F(AboutBoxTest, TheCloseBoxClosesItToo)
{
    AboutBox &a = *frmInfo;
    a.show();
    a.close();
    EXPECT_FALSE(frmInfo.isLoaded());
    EXPECT_TRUE(isTopmost(overlay()));
}
