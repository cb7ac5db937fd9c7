#pragma once

#include "ClickableControl.h"

#include <QAbstractButton>
#include <QFrame>
#include <QImage>
#include <QRgb>
#include <QString>

#include <functional>

// The controls of the Text preferences dialog that Qt has no ready match for.

// A check box with the look of a push button and a picture: raised when off, sunken over a
// dithered face when on. Its value is 0 or 1; it toggles on a click or the space bar.
class StyleButton : public QAbstractButton
{
public:
    StyleButton(const QImage &picture, QWidget *parent);

    int value() const { return isChecked() ? 1 : 0; }
    const QImage &picture() const { return m_picture; }

    QSize sizeHint() const override { return {49, 17}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};

// A picture box used as a colour swatch: a sunken 2-pixel border around its background colour.
// A left click (press and release on it) raises onClick.
class ColorSwatch : public ClickableControl
{
public:
    explicit ColorSwatch(QWidget *parent);

    QRgb backColor() const { return m_backColor; }
    void setBackColor(QRgb colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRgb m_backColor = qRgb(255, 255, 255);
};

// A picture box with a white background inside a sunken 2-pixel border. Its controls stand on
// client(), the area inside the border, which also clips them.
class SampleBox : public QFrame
{
public:
    explicit SampleBox(QWidget *parent);

    QWidget *client() const { return m_client; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_client;
};
