#pragma once

#include "ClickableControl.h"
#include "ShownValue.h"

#include <QImage>

// An image control: shows a picture and reports presses, releases and clicks (a left release on
// the control after a left press on it).
class ImageControl : public ClickableControl
{
public:
    explicit ImageControl(QWidget *parent);

    const QImage &picture() const { return m_picture; }
    void setPicture(const QImage &picture) { SetShownValue(*this, m_picture, picture); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};
