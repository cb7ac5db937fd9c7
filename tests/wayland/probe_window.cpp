// A plain window for checking the Wayland test bed: it fills itself with one colour, and reports
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
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(0xC0, 0x30, 0x20));
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

    bool m_reported = false;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ProbeWindow window;
    window.showFullScreen();
    return app.exec();
}
