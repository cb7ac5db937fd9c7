#pragma once

#include <QPointF>
#include <QWidget>

#include <functional>

// A control that reports its presses and releases as the form runtime does (Button 1 left, 2 right,
// 4 middle; Shift 1, Ctrl 2, Alt 4; positions in the control's own pixels, from `origin()`) and a
// click: a left release on the control after a left press on it.
class ClickableControl : public QWidget
{
public:
    using MouseHandler = std::function<void(int Button, int Shift, double X, double Y)>;

    explicit ClickableControl(QWidget *parent)
        : QWidget(parent)
    {
    }

    MouseHandler onMouseDown;
    MouseHandler onMouseUp;
    std::function<void()> onClick;

protected:
    // Where the control's coordinates start, inside any border it draws.
    virtual QPointF origin() const { return {0, 0}; }

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Hands a press or a release to its handler, if the control has one.
    void report(const MouseHandler &handler, const QMouseEvent &event) const;

    bool m_leftDown = false;
};
