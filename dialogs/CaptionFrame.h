#pragma once

#include "ShownValue.h"

#include <QPalette>
#include <QString>
#include <QWidget>

// How a frame draws itself. The dialogs were drawn apart and differ in small ways; each keeps its
// own look through one of these.
struct FrameLook
{
    // The dark half of the etched line; the light half is QPalette::Light, one pixel below and to
    // the right of it.
    QPalette::ColorRole shadow = QPalette::Dark;
    // Where the two halves cross (two pixels), the light one is drawn last.
    bool lightOverShadow = true;
    // Without a caption, the edge rises to the frame's top; otherwise it stays where a caption's
    // middle would be.
    bool edgeRisesWithoutCaption = true;
    // The left end of the blank that the caption cuts into the top edge; the text stands two
    // pixels further in.
    int captionLeft = 8;
    // The text is centred in the blank, rather than set from two pixels in: the two differ by the
    // part of a pixel that the whole-pixel advance leaves off.
    bool captionCentred = true;
    // The caption takes the window's current colour group (inactive when the window is), rather
    // than only the active or disabled one.
    bool captionFollowsActivation = false;

    // The About and General preferences dialogs.
    static FrameLook standard() { return {}; }
    // The Text preferences dialog.
    static FrameLook textDialog() { return {QPalette::Mid, false, false, 6, false, true}; }
};

// A frame control: an etched rectangle around a group of controls, with its caption standing in
// the top edge. The controls inside are placed from the frame's own top-left corner, caption or
// not, so a layout given for the frame holds whatever the style's group boxes would do.
class CaptionFrame : public QWidget
{
public:
    explicit CaptionFrame(QWidget *parent, const QString &caption = QString(),
                          const FrameLook &look = FrameLook::standard());

    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption) { SetShownValue(*this, m_caption, caption); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    FrameLook m_look;
};
