#pragma once

// The one window of the start-up floors: a frameless, topmost window that shows the picture it
// was given and nothing else; told, where asked, when it has first painted it.
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <functional>
#include <utility>

class FrozenWindow final : public QWidget
{
public:
    explicit FrozenWindow(QImage picture, std::function<void()> afterFirstPaint = {})
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
        , m_picture(std::move(picture))
        , m_afterFirstPaint(std::move(afterFirstPaint))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).drawImage(0, 0, m_picture);
        if (auto told = std::exchange(m_afterFirstPaint, nullptr))
            told();
    }

private:
    QImage m_picture;
    std::function<void()> m_afterFirstPaint;
};
