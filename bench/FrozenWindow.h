#pragma once

// The one window of the Wayland start-up floors: a frameless, topmost window that shows the
// picture it was given and nothing else.
#include <QImage>
#include <QPainter>
#include <QWidget>

class FrozenWindow final : public QWidget
{
public:
    explicit FrozenWindow(QImage picture)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
        , m_picture(std::move(picture))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).drawImage(0, 0, m_picture); }

private:
    QImage m_picture;
};
