#pragma once

#include "ClickableControl.h"

#include <QImage>

struct CellFrame;

// `picPalette`: the palette picture in a sunken 2-pixel border. It holds the picture itself and
// a drawing layer over it that Cls empties; the marks of DrawCell go into the layer. Mouse
// positions are reported in picture pixels (from the inside of the border).
class PaletteBox : public ClickableControl
{
public:
    explicit PaletteBox(QWidget *parent);

    const QImage &picture() const { return m_picture; }
    const QImage &layer() const { return m_layer; }
    // Empties the drawing layer; the picture stays.
    void Cls();
    void drawFrame(const CellFrame &frame);
    // What is seen inside the border: the picture with the layer over it.
    QImage composed() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    QPointF origin() const override;

private:
    QImage m_picture;
    QImage m_layer;
};
