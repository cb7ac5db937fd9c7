// The frame control in its two looks: where the edge runs, which colours it takes, and where the
// caption's blank cuts into it. The dialogs keep their own pixels through these.
#include "dialogs/CaptionFrame.h"

#include <QImage>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A frame of 100 x 50 on an opaque window, with each role a colour of its own.
QImage draw(const QString &caption, const FrameLook &look)
{
    QWidget window;
    QPalette roles = window.palette();
    roles.setColor(QPalette::Window, Qt::white);
    roles.setColor(QPalette::Dark, Qt::red);
    roles.setColor(QPalette::Mid, Qt::blue);
    roles.setColor(QPalette::Light, Qt::green);
    window.setPalette(roles);
    window.setAutoFillBackground(true);
    window.resize(100, 50);
    CaptionFrame frame(&window, caption, look);
    frame.setGeometry(0, 0, 100, 50);
    return window.grab().toImage();
}

int captionMiddle()
{
    return QFontMetrics(QWidget().font()).height() / 2;
}

} // namespace

TEST(CaptionFrame, TheStandardLookIsDarkUnderLightAndRisesToTheTopWithoutACaption)
{
    const QImage bare = draw(QString(), FrameLook::standard());
    EXPECT_EQ(bare.pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(bare.pixel(1, 1), QColor(Qt::green).rgb());
    EXPECT_EQ(bare.pixel(98, 1), QColor(Qt::green).rgb()) << "light is drawn over the shadow";
    EXPECT_EQ(bare.pixel(99, 49), QColor(Qt::green).rgb());

    const QImage captioned = draw(QStringLiteral("Ab"), FrameLook::standard());
    const int top = captionMiddle();
    EXPECT_EQ(captioned.pixel(0, top), QColor(Qt::red).rgb());
    EXPECT_EQ(captioned.pixel(7, top), QColor(Qt::red).rgb());
    EXPECT_EQ(captioned.pixel(8, top), QColor(Qt::white).rgb()) << "the caption's blank";
}

TEST(CaptionFrame, TheTextDialogLookIsMidOverLightAndKeepsItsEdgeDownWithoutACaption)
{
    const int top = captionMiddle();
    const QImage bare = draw(QString(), FrameLook::textDialog());
    EXPECT_EQ(bare.pixel(0, 0), QColor(Qt::white).rgb());
    EXPECT_EQ(bare.pixel(0, top), QColor(Qt::blue).rgb());
    EXPECT_EQ(bare.pixel(1, top + 1), QColor(Qt::green).rgb());
    EXPECT_EQ(bare.pixel(98, top + 1), QColor(Qt::blue).rgb()) << "the shadow is drawn last";

    const QImage captioned = draw(QStringLiteral("Ab"), FrameLook::textDialog());
    EXPECT_EQ(captioned.pixel(5, top), QColor(Qt::blue).rgb());
    EXPECT_EQ(captioned.pixel(6, top), QColor(Qt::white).rgb()) << "the caption's blank";
}
