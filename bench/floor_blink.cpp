// The idle floor: a frameless full-screen window with one label the size of the overlay's caret
// ("|" in 36-point bold Arial), whose caption a 500 ms timer blanks and shows again.
#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {
class Black : public QWidget
{
public:
    Black()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter(this).fillRect(event->rect(), Qt::black);
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    Black window;
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    QLabel caret(QStringLiteral("|"), &window);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(36);
    font.setBold(true);
    caret.setFont(font);
    caret.setStyleSheet(QStringLiteral("color: #00ff00"));
    caret.adjustSize();
    caret.setFixedSize(caret.size());
    caret.move(200, 200);
    QTimer blink;
    bool shown = true;
    QObject::connect(&blink, &QTimer::timeout, [&] {
        shown = !shown;
        caret.setText(shown ? QStringLiteral("|") : QString());
    });
    blink.start(500);
    window.show();
    return QApplication::exec();
}
