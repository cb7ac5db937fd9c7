#pragma once

#include <QAbstractButton>
#include <QImage>

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
