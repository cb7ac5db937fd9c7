// A plain window for checking the Wayland test bed: it fills itself with one colour (or, given
// "pattern", with a picture whose every device pixel differs from its neighbours), and reports
// on standard output when it is shown, every key text it receives and every mouse press, so a
// test can see that keys and clicks from the seat reach a Qt client.
//   shown W H DPR      the window is exposed, W x H logical pixels at device pixel ratio DPR
//   key TEXT           a key press with its text
//   press X Y BUTTON   a mouse press at window position (X, Y)
#include <QExposeEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>

#include <cstdio>

namespace {

class ProbeWindow final : public QRasterWindow
{
public:
    explicit ProbeWindow(bool pattern)
        : m_pattern(pattern)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (!m_pattern) {
            painter.fillRect(QRect(QPoint(), size()), QColor(0xC0, 0x30, 0x20));
            return;
        }
        const qreal ratio = devicePixelRatio();
        QImage picture(size() * ratio, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x >> 8) * 16 + (y >> 8)));
        picture.setDevicePixelRatio(ratio);
        painter.drawImage(QPoint(), picture);
    }

    void exposeEvent(QExposeEvent *event) override
    {
        QRasterWindow::exposeEvent(event);
        if (isExposed() && !m_reported) {
            m_reported = true;
            report("shown %d %d %g", width(), height(), devicePixelRatio());
        }
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (!event->text().isEmpty())
            report("key %s", event->text().toUtf8().constData());
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        const QPoint at = event->position().toPoint();
        report("press %d %d %d", at.x(), at.y(), int(event->button()));
    }

private:
    template<typename... Args> static void report(const char *format, Args... args)
    {
        std::printf(format, args...);
        std::printf("\n");
        std::fflush(stdout);
    }

    bool m_pattern;
    bool m_reported = false;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ProbeWindow window(app.arguments().contains(QStringLiteral("pattern")));
    window.showFullScreen();
    return app.exec();
}
