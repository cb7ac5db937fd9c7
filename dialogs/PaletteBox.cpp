#include "PaletteBox.h"

#include "core/PaletteLayout.h"
#include "settings/Palette.h"

#include <QPainter>
#include <qdrawutil.h>

namespace {
constexpr int BoxBorder = 2;
}

PaletteBox::PaletteBox(QWidget *parent)
    : ClickableControl(parent)
    , m_picture(PalettePicture())
    , m_layer(m_picture.size(), QImage::Format_ARGB32)
{
    m_layer.fill(Qt::transparent);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(PaletteBoxWidth, PaletteBoxHeight);
}

void PaletteBox::Cls()
{
    m_layer.fill(Qt::transparent);
    update();
}

void PaletteBox::drawFrame(const CellFrame &frame)
{
    PaintCellFrame(m_layer, frame);
    update(frame.rect.translated(BoxBorder, BoxBorder).adjusted(-1, -1, 1, 1));
}

QImage PaletteBox::composed() const
{
    QImage seen = m_picture.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&seen);
    painter.drawImage(0, 0, m_layer);
    return seen;
}

void PaletteBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The standard sunken border, two pixels on each side.
    qDrawWinPanel(&painter, rect(), palette(), /*sunken=*/true);
    painter.drawImage(BoxBorder, BoxBorder, m_picture);
    painter.drawImage(BoxBorder, BoxBorder, m_layer);
}

QPointF PaletteBox::origin() const
{
    return {double(BoxBorder), double(BoxBorder)};
}
