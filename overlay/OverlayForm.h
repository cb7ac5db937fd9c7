#pragma once

#include "PressRouter.h"
#include "Surface.h"
#include "SurfaceMouse.h"
#include "TextBlock.h"
#include "TextDrag.h"
#include "forms/Forms.h"
#include "platform/DesktopCapture.h"

#include <QCursor>
#include <QImage>
#include <QWidget>

#include <memory>

// The overlay `frmShow`: a borderless, topmost window over the screen within the margins, showing
// the desktop as it was at start-up. It holds the drawing surface `picShow` with the text block
// over it, and the caret blink timer. The keyboard belongs to the main form's `txtInput`; the
// overlay, which is the window that has the focus, hands it every key and input-method event.
// The mouse on the surface goes to the handlers named after the controls, each a line that hands
// it to the piece that owns the job: which control a press belongs to (PressRouter), the surface's
// presses and strokes (SurfaceMouse), the text's presses and its drag and drop (TextDrag).
class OverlayForm : public QWidget, private SurfaceEvents
{
    // What the widget tests look at inside the overlay (tests/gui/ProgramFixture.h).
    friend struct OverlayInternals;

public:
    OverlayForm();
    ~OverlayForm() override;

    void Form_Load();
    void Form_Unload();
    // Shows the overlay on the screen: over the margins' rectangle, or full screen on the output
    // where the program cannot place its windows (picShow keeps the margins' rectangle there).
    void showOnScreen();
    void Form_MouseDown(int Button, int Shift, double X, double Y);

    void picShow_MouseDown(int Button, int Shift, double X, double Y);
    void picShow_MouseMove(int Button, int Shift, double X, double Y);
    void picShow_MouseUp(int Button, int Shift, double X, double Y);
    void picShow_Click();
    void lblShow_MouseDown(int Button, int Shift, double X, double Y);
    void lblShow_Click();
    // Drops of the dragged text: on the text itself (twips from its corner) and on the surface
    // (surface pixels).
    void lblShow_DragDrop(double X, double Y);
    void picShow_DragDrop(double X, double Y);

    // Paints the form's image onto picShow at (0, 0), wiping every drawn line.
    void paintFormImageOntoSurface();

    // The pen pointer `imgPen` carries, for the surface in line mode.
    QCursor penPointer() const;
    // picShow's pointer: the default arrow, or the pen.
    void setSurfacePointer(const QCursor &pointer);

    // Ends the press under way without its release: a pop-up menu opened by the press took the
    // mouse and its release (see PressRouter).
    void endPress();

    Surface *picShow;
    // The text block over picShow: lblShow, lblShadow, lblCursor and tmrBlink.
    TextBlock &textBlock() { return m_text; }
    const TextBlock &textBlock() const { return m_text; }

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    void surfacePress(int button, int shift, const QPointF &at) override;
    void surfaceMove(int button, int shift, const QPointF &at) override;
    void surfaceRelease(int button, int shift, const QPointF &at) override;
    void surfaceHover(const QPointF &at) override;

    // Hands an event meant for the keyboard to txtInput.
    bool forwardToInput(QEvent *event);

    // The first show where the system holds the desktop's copy: the text block drawn into it, the
    // copy made the window's background, the window shown, and the program's snapshot read back.
    void showOverBackdrop();
    void releaseBackdrop();
    // The overlay's rectangle on the screen (device pixels), cut back to the screen's edge where
    // the toolkit's rounding of a fractional scale took it a pixel past (X11).
    QRect keepWithinScreen();

    TextBlock m_text;
    SurfaceMouse m_mouse;
    TextDrag m_drag;
    PressRouter m_router;
    QImage m_formImage; // the form's own persistent image: the clean snapshot, never drawn on
    // Where the overlay covers the whole output: the output's picture, which the margins' strips
    // around picShow show. Null where the overlay is placed over the margins' rectangle.
    QImage m_outputImage;
    qreal m_ratio = 1;
    QRect m_deviceArea; // the overlay's rectangle on the screen, device pixels
    // The system's copy of the desktop until the overlay's own first frame is up (X11).
    std::unique_ptr<platform::DesktopBackdrop> m_backdrop;
};

extern Form<OverlayForm> frmShow;
