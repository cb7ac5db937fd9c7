// The cost of a keystroke with long texts: the program's whole key handling (key down, the text
// box's edit, the change handler, key up with the caret's measuring, the repaint) beside the floor
// of one auto-sized label given the same text once, measured in the same run, alternately.
//   bench_keys [KEYS_PER_ROUND] [ROUNDS]
// It also adds up what the surface repaints for each key and sets it beside the text block's
// bounding box and the whole overlay.
#include "app/MainForm.h"
#include "forms/Forms.h"
#include "overlay/OverlayForm.h"
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Lines a user might type, 41 characters and a line break each.
QString textOf(int characters)
{
    const QString line = QStringLiteral("The quick brown fox jumps over a lazy dog");
    QString text;
    while (text.size() < characters)
        text += line + QStringLiteral("\r\n");
    text.truncate(characters);
    return text;
}

class PaintSpy : public QObject
{
public:
    QRegion painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

qint64 area(const QRegion &region)
{
    qint64 sum = 0;
    for (const QRect &r : region)
        sum += qint64(r.width()) * r.height();
    return sum;
}

void settle(QWidget *window)
{
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 3000
           && !(window->windowHandle() && window->windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Row
{
    std::vector<double> programUs, floorUs;
    double worstBlockShare = 0; // repainted area / the text block's bounding box, worst key
    double worstOverlayShare = 0; // repainted area / the overlay, worst key
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int keys = argc > 1 ? std::max(10, atoi(argv[1])) : 200;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    QTemporaryDir folder;
    SetProgramFolderForTests(folder.path());
    BuildPalette();
    SetDefaults();
    {
        QFile file(ProgramSettingsPath());
        file.open(QIODevice::WriteOnly);
        file.write(EncodeSettings(gSettings).bytes);
    }
    gSettings = Settings {};
    frmMain.get();
    MainForm &main = *frmMain;
    OverlayForm &overlay = *frmShow;
    settle(&overlay);
    PaintSpy spy;
    overlay.picShow->installEventFilter(&spy);

    // The floor: one auto-sized label in a window like the overlay, in the text's font.
    QWidget floorWindow(nullptr, Qt::Window | Qt::FramelessWindowHint);
    floorWindow.setGeometry(overlay.geometry());
    QLabel label(&floorWindow);
    label.setTextFormat(Qt::PlainText);
    label.setFont(overlay.textBlock().lblShow.font());
    label.move(200, 200);

    const double overlayArea = double(overlay.width()) * overlay.height();
    std::printf(
        "| characters | typing at | program per key | floor per key | ratio (goal <= 1.5) | "
        "repainted / text block (goal <= 1) | repainted / overlay |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    // Typing at the end of the text measures all of it before the caret, the hot path; typing
    // at the end of the first line is where a long text is seen (its end lies below the screen).
    for (const bool atEnd : {true, false})
        for (const int length : {100, 1000, 10000}) {
            const QString base = textOf(length);
            const qsizetype caret = atEnd ? base.size() : std::min<qsizetype>(41, base.size());
            Row row;
            for (int round = 0; round < rounds; ++round) {
                // The program: the text in the box, the caret at its end, then keys typed.
                floorWindow.hide();
                overlay.show();
                main.txtInput->setText(base);
                main.txtInput->setSelStart(caret);
                main.txtInput_KeyUp(0, 0);
                settle(&overlay);
                QString typed = base;
                std::vector<QString> texts;
                for (int i = 0; i < keys; ++i) {
                    const QChar c = QChar(u'a' + i % 26);
                    const QRect blockBefore = overlay.textBlock().lblShadow.paintBounds()
                        | overlay.textBlock().lblShow.paintBounds()
                        | overlay.textBlock().lblCursor.paintBounds();
                    spy.painted = QRegion();
                    QElapsedTimer timer;
                    timer.start();
                    QKeyEvent down(QEvent::KeyPress, Qt::Key_A + i % 26, Qt::NoModifier,
                                   QString(c));
                    QCoreApplication::sendEvent(&overlay, &down);
                    QKeyEvent up(QEvent::KeyRelease, Qt::Key_A + i % 26, Qt::NoModifier,
                                 QString(c));
                    QCoreApplication::sendEvent(&overlay, &up);
                    QCoreApplication::sendPostedEvents();
                    row.programUs.push_back(double(timer.nsecsElapsed()) / 1000.0);
                    const QRect block = blockBefore | overlay.textBlock().lblShadow.paintBounds()
                        | overlay.textBlock().lblShow.paintBounds()
                        | overlay.textBlock().lblCursor.paintBounds();
                    const QRect visibleBlock = block & overlay.rect();
                    const double painted = double(area(spy.painted));
                    row.worstBlockShare = std::max(
                        row.worstBlockShare,
                        painted
                            / std::max(1.0, double(visibleBlock.width()) * visibleBlock.height()));
                    row.worstOverlayShare = std::max(row.worstOverlayShare, painted / overlayArea);
                    typed.insert(caret + i, c);
                    texts.push_back(typed);
                }
                // The floor: the same texts, each given to the label once.
                overlay.hide();
                floorWindow.show();
                label.setText(QString(base).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
                label.adjustSize();
                settle(&floorWindow);
                for (QString &text : texts)
                    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                for (const QString &text : texts) {
                    QElapsedTimer timer;
                    timer.start();
                    label.setText(text);
                    label.adjustSize();
                    QCoreApplication::sendPostedEvents();
                    row.floorUs.push_back(double(timer.nsecsElapsed()) / 1000.0);
                }
            }
            const double program = median(row.programUs), floor = median(row.floorUs);
            std::printf("| %d | %s | %.1f us | %.1f us | %.2f | %.2f | %.4f |\n", length,
                        atEnd ? "the end" : "line 1", program, floor,
                        floor > 0 ? program / floor : 0, row.worstBlockShare,
                        row.worstOverlayShare);
            std::fflush(stdout);
        }
    frmShow.destroy();
    frmMain.destroy();
    return 0;
}
