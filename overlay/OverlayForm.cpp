#include "OverlayForm.h"

#include "DesktopPicture.h"
#include "OverlayOwner.h"
#include "Pointers.h"
#include "TextBlock.h"
#include "Topmost.h"
#include "core/BufferPicture.h"
#include "core/OverlayGeometry.h"
#include "core/VirtualKeys.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include <cmath>

using namespace DesktopPicture;

Form<OverlayForm> frmShow;

OverlayForm::OverlayForm()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , picShow(new Surface(this, this))
    , m_text(picShow)
    , m_mouse(*picShow)
    , m_drag(*picShow, m_text)
    , m_router(*this, *picShow, m_text, m_mouse, m_drag)
{
    setWindowTitle(QStringLiteral("Vyn Quillane"));
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

OverlayForm::~OverlayForm()
{
    releaseBackdrop();
}

void OverlayForm::Form_Load()
{
    Settings &s = gSettings;
    SetFormTopmost(this, 1);
    setSurfacePointer(Qt::ArrowCursor);
    picShow->setItems({&m_text.lblShadow, &m_text.lblShow, &m_text.lblCursor});

    const bool placesWindows = platform::caps().stack->placesWindows();
    QScreen *screen = placesWindows ? QGuiApplication::primaryScreen() : userScreen();
    const QSize screenSize = screen->geometry().size();
    const QRect area
        = OverlayRect(screenSize.width(), screenSize.height(), s.gnTwipsX, s.gnTwipsY,
                      s.gnMarginLeft, s.gnMarginRight, s.gnMarginTop, s.gnMarginBottom);
    const qreal ratio = screen->devicePixelRatio();
    m_ratio = ratio;
    // Both copies come from one reading of the desktop, taken before the overlay is visible.
    if (placesWindows) {
        setGeometry(area);
        picShow->setGeometry(0, 0, area.width(), area.height());
        // Where the system keeps the copy as the window's background, the window's first frame
        // is the system's and the program reads its own copy once the window is up (see
        // showOverBackdrop); the overlay shows when the text is in place.
        m_deviceArea = keepWithinScreen();
        m_backdrop = platform::caps().capture->copyDesktopBehind(
            winId(), m_deviceArea.x(), m_deviceArea.y(), m_deviceArea.width(),
            m_deviceArea.height());
        if (!m_backdrop)
            m_formImage = snapshotFor(area, ratio);
    } else {
        // The overlay covers the output, and picShow stands over the margins' rectangle in it, so
        // every position on picShow keeps its meaning; the strips show the frozen desktop.
        // The window's place says which screen it is on: at the output's corner, it is full screen
        // there.
        setScreen(screen);
        move(screen->geometry().topLeft());
        m_outputImage = outputPicture(screen);
        picShow->setGeometry(area);
        m_formImage = sharedPart(m_outputImage, deviceRect(area, ratio));
    }
    if (!m_backdrop) {
        picShow->setImage(m_formImage);
        showOnScreen();
    }
    setFocus();

    s.gsCursorChar = s.gnCursorStyle == 0 ? QStringLiteral("|") : QStringLiteral("_");
    m_text.applyLook();
}

void OverlayForm::Form_Unload()
{
    SetFormTopmost(this, 0);
}

void OverlayForm::showOnScreen()
{
    if (m_backdrop && m_formImage.isNull()) {
        showOverBackdrop();
        return;
    }
    if (m_outputImage.isNull()) {
        // Shown at a new place (back from standby), the window has its rounded size again.
        show();
        keepWithinScreen();
        return;
    }
    // The compositor gives a full-screen window its size after the window's first frame, and
    // may hold the new state back until a frame of that size comes (sway waits up to 200 ms for
    // it). A first frame at the output's size already would get no successor: the toolkit sees
    // no change of size and paints nothing new. So the window shows first a pixel larger than
    // the output (larger, so that nothing of the text is laid out for less room than it will
    // have), and its frame at the output's size follows the compositor's answer at once. On
    // standby the window is hidden, and its next showing starts the same way.
    if (isHidden())
        resize(m_outputImage.deviceIndependentSize().toSize() + QSize(1, 1));
    showFullScreen();
}

void OverlayForm::showOverBackdrop()
{
    platform::DesktopBackdrop &backdrop = *m_backdrop;
    const QRect whole(0, 0, backdrop.width(), backdrop.height());
    // The text block, drawn over the copy where it stands exactly as the surface will paint it,
    // so that the first frame the system shows is the settled one. The copy's pixels under it
    // are kept: they are the desktop's, and the program's own snapshot must not hold the text.
    const QRect textArea = deviceRect(picShow->itemsBounds(), m_ratio) & whole;
    QImage clean;
    if (!textArea.isEmpty()) {
        platform::DesktopImage under
            = backdrop.read(textArea.x(), textArea.y(), textArea.width(), textArea.height());
        if (!under.empty()) {
            clean = imageOf(std::move(under), m_ratio);
            QImage composed = picShow->paintItemsOver(clean, textArea.topLeft());
            if (!backdrop.write(textArea.x(), textArea.y(), pixelsOf(composed)))
                clean = QImage();
        }
    }
    const bool behind = backdrop.showBehind();
    // The window's first frame is the system's: the desktop behind it at the map. Where nothing
    // stands between the program and the screen, the window maps before the toolkit's show does
    // its own work; and a compositing manager, where one runs, puts that frame on the screen
    // before the toolkit's work competes with it for the processors.
    if (behind && backdrop.showAtOnce())
        backdrop.awaitScreen();
    show();

    // The program's snapshot, read from the copy once the window is up (and, under a compositing
    // manager, on the screen), before the event loop hands out any paint or input that needs it.
    backdrop.awaitScreen();
    platform::DesktopImage all = backdrop.readAll();
    if (all.empty()) {
        // The copy could not be read back: the screen under the window shows the same copy.
        all = platform::caps().capture->captureDesktop(m_deviceArea.x(), m_deviceArea.y(),
                                                       m_deviceArea.width(), m_deviceArea.height());
    }
    QImage snapshot
        = all.empty() ? blackImage(whole.size(), m_ratio) : imageOf(std::move(all), m_ratio);
    if (!clean.isNull()) {
        QPainter painter(&snapshot);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF(textArea.topLeft()) / m_ratio, clean);
    }
    m_formImage = snapshot;
    picShow->setImage(m_formImage);
    setFocus();

    // The copy stays the window's background until the program's own first frame has reached the
    // window, so no exposure before it shows anything but the settled frame.
    if (behind)
        picShow->afterNextPaint([this] { releaseBackdrop(); });
    else
        releaseBackdrop();
}

QRect OverlayForm::keepWithinScreen()
{
    QRect device = deviceRect(geometry(), m_ratio);
    int x = device.x(), y = device.y(), width = device.width(), height = device.height();
    if (platform::caps().stack->keepWithinScreen(platform::NativeWindow(winId()), x, y, width,
                                                 height))
        device = QRect(x, y, width, height);
    return device;
}

void OverlayForm::releaseBackdrop()
{
    if (m_backdrop)
        m_backdrop->release();
    m_backdrop.reset();
}

void OverlayForm::paintEvent(QPaintEvent *)
{
    // picShow covers the whole form unless the form covers the output.
    if (m_outputImage.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_outputImage);
}

QCursor OverlayForm::penPointer() const
{
    return PenPointer();
}

void OverlayForm::setSurfacePointer(const QCursor &pointer)
{
    m_mouse.setPointer(pointer);
}

void OverlayForm::endPress()
{
    m_router.endPress();
}

void OverlayForm::paintFormImageOntoSurface()
{
    picShow->paintPicture(m_formImage);
}

// --- keyboard: everything goes to txtInput ---------------------------------------------------

bool OverlayForm::forwardToInput(QEvent *event)
{
    QWidget *input = OverlayOwner::get().input();
    return QCoreApplication::sendEvent(input, event);
}

bool OverlayForm::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        // Without a window manager Alt+F4 reaches the program as a plain key; it closes the
        // program as the window manager's close would.
        if (key->key() == Qt::Key_F4 && key->modifiers() == Qt::AltModifier) {
            OverlayOwner::get().Form_QueryUnload(0);
            return true;
        }
        forwardToInput(event);
        return true;
    }
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::ShortcutOverride:
        forwardToInput(event);
        return true;
    default:
        return QWidget::event(event);
    }
}

QVariant OverlayForm::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return true;
    if (query == Qt::ImCursorRectangle)
        return m_text.lblCursor.rect().toAlignedRect();
    return OverlayOwner::get().input()->inputMethodQuery(query);
}

void OverlayForm::closeEvent(QCloseEvent *event)
{
    // The window manager's close of the overlay closes the program as the main form's own close
    // command does.
    event->ignore();
    OverlayOwner::get().Form_QueryUnload(0);
}

// --- mouse ----------------------------------------------------------------------------------

void OverlayForm::mousePressEvent(QMouseEvent *event)
{
    Form_MouseDown(Surface::buttonMask(event->button() | event->buttons()),
                   ShiftMaskFrom(event->modifiers()), event->position().x(), event->position().y());
}

void OverlayForm::Form_MouseDown(int Button, int Shift, double, double)
{
    Q_UNUSED(Shift);
    if (Button == 2 && gSettings.gbDialogOpen == False)
        OverlayOwner::get().PopupMenu(/*updateItems=*/false, 0);
    OverlayOwner::get().Show();
}

void OverlayForm::surfacePress(int button, int shift, const QPointF &at)
{
    m_router.press(button, shift, at);
}

void OverlayForm::surfaceMove(int button, int shift, const QPointF &at)
{
    m_router.move(button, shift, at);
}

void OverlayForm::surfaceRelease(int button, int shift, const QPointF &at)
{
    m_router.release(button, shift, at);
}

void OverlayForm::surfaceHover(const QPointF &at)
{
    m_router.hover(at);
}

// The controls' own events, as the router hands them out.

void OverlayForm::picShow_MouseDown(int Button, int Shift, double X, double Y)
{
    m_mouse.press(Button, Shift, X, Y);
}

void OverlayForm::picShow_MouseMove(int, int, double X, double Y)
{
    m_mouse.move(X, Y);
}

void OverlayForm::picShow_MouseUp(int, int, double, double)
{
    m_mouse.release();
}

void OverlayForm::picShow_Click()
{
    OverlayOwner::get().FocusInput();
}

void OverlayForm::lblShow_MouseDown(int Button, int Shift, double X, double Y)
{
    m_drag.press(Button, Shift, X, Y);
}

void OverlayForm::lblShow_Click()
{
    OverlayOwner::get().FocusInput();
}

void OverlayForm::lblShow_DragDrop(double X, double Y)
{
    m_drag.dropOnText(X, Y);
}

void OverlayForm::picShow_DragDrop(double X, double Y)
{
    m_drag.dropOnSurface(X, Y);
}
