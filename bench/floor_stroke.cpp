// The stroke floor: the least a program must do to draw a freehand stroke over a frozen screen —
// a frameless full-screen window over a copy of the screen in a QImage, each pointer move drawing
// its segment into the image and repainting only that segment's bounding rectangle.
#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {
class Canvas : public QWidget
{
public:
    explicit Canvas(QImage image)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
        , m_image(std::move(image))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_StaticContents);
        m_pen = QPen(QColor(0, 0, 255), 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter(this).drawImage(event->rect(), m_image, event->rect());
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        m_last = event->position();
        draw(m_last, m_last);
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        draw(m_last, event->position());
        m_last = event->position();
    }

private:
    void draw(const QPointF &from, const QPointF &to)
    {
        QPainter painter(&m_image);
        painter.setPen(m_pen);
        if (from == to)
            painter.drawPoint(to);
        else
            painter.drawLine(from, to);
        const int reach = int(std::ceil(m_pen.widthF() / 2)) + 2;
        update(
            QRectF(from, to).normalized().toAlignedRect().adjusted(-reach, -reach, reach, reach));
    }

    QImage m_image;
    QPen m_pen;
    QPointF m_last;
};
} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QScreen *screen = QGuiApplication::primaryScreen();
    Canvas window(screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32));
    window.setGeometry(screen->geometry());
    window.show();
    return QApplication::exec();
}
