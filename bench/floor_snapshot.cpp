// The start-up floor: the least a program must do to freeze the screen — read the desktop, show
// it in one frameless full-screen window. It prints when it has painted, for the driver's clock.
#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {
class Frozen : public QWidget
{
public:
    explicit Frozen(QPixmap picture)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
        , m_picture(std::move(picture))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).drawPixmap(0, 0, m_picture);
        if (!m_reported) {
            m_reported = true;
            timespec now {};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("painted %lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
        }
    }

private:
    QPixmap m_picture;
    bool m_reported = false;
};
} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QScreen *screen = QGuiApplication::primaryScreen();
    Frozen window(screen->grabWindow(0));
    window.setGeometry(screen->geometry());
    window.show();
    return QApplication::exec();
}
