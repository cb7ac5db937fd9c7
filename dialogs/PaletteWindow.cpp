#include "PaletteWindow.h"

#include "ImageControl.h"
#include "PaletteBox.h"

#include "overlay/Surface.h"

#include "DialogPlacement.h"
#include "Dialogs.h"
#include "TextDialogLink.h"
#include "core/LineWidth.h"
#include "core/PaletteLayout.h"
#include "core/PalettePictures.h"
#include "core/VirtualKeys.h"
#include "forms/Fonts.h"
#include "platform/KeyboardOnShow.h"
#include "overlay/OverlayForm.h"
#include "overlay/Topmost.h"
#include "platform/Platform.h"
#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <qdrawutil.h>

namespace {

QString WidthCaption(int width)
{
    return QStringLiteral("Line Width = ") + QString::number(width);
}

// A label takes the presses made on it, so that they neither drag the window nor reach anything
// under it.
class SwallowPresses : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

// --- the window's inside ---------------------------------------------------------------------

// The window's own surface: its persistent background with the title strip, and the presses on
// it (Form_MouseDown), which drag the window.
class PaletteClient : public QWidget
{
public:
    explicit PaletteClient(PaletteWindow *form)
        : QWidget(form)
        , m_form(form)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        const QRect area = event->rect();
        painter.fillRect(area, palette().color(QPalette::Window));
        painter.drawImage(area.topLeft(), m_form->m_background, area);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        m_form->Form_MouseDown(Surface::buttonMask(event->button()),
                               ShiftMaskFrom(event->modifiers()), event->position().x(),
                               event->position().y());
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (m_form->m_moving && (event->buttons() & Qt::LeftButton))
            m_form->moveWithPointer(event->globalPosition().toPoint());
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_form->m_moving = false;
    }

private:
    PaletteWindow *m_form;
};

// --- the window ------------------------------------------------------------------------------

PaletteWindow::PaletteWindow()
    // A tool window owned by the overlay: the window manager keeps it above its owner even when
    // the overlay, focused and covering the screen, is stacked as a full-screen window above
    // the band of topmost windows (as openbox does after every press on the overlay).
    : QWidget(frmShow.ifLoaded(), Qt::Tool | Qt::FramelessWindowHint)
    , m_client(new PaletteClient(this))
{
    setFont(ArialFont(9));
    setAttribute(Qt::WA_OpaquePaintEvent);

    picPalette = new PaletteBox(m_client);
    picPalette->setCursor(QCursor(QPixmap::fromImage(EyedropperPicture()), EyedropperHotSpot().x(),
                                  EyedropperHotSpot().y()));
    picPalette->onMouseDown = [this](int button, int shift, double x, double y) {
        picPalette_MouseDown(button, shift, x, y);
    };
    picPalette->onClick = [this] { picPalette_Click(); };

    imgHide_Up = CloseButtonPicture(false);
    imgHide_Dn = CloseButtonPicture(true);
    imgHide = new ImageControl(m_client);
    imgHide->onMouseDown = [this](int button, int shift, double x, double y) {
        imgHide_MouseDown(button, shift, x, y);
    };
    imgHide->onMouseUp = [this](int button, int shift, double x, double y) {
        imgHide_MouseUp(button, shift, x, y);
    };
    imgHide->onClick = [this] { imgHide_Click(); };

    Label1 = new QLabel(QStringLiteral("Line Width ="), m_client);
    Label1->setFont(ArialFont(8.25));
    Label1->installEventFilter(new SwallowPresses(Label1));

    HScroll1 = new QScrollBar(Qt::Horizontal, m_client);
    HScroll1->setRange(MinLineWidth, MaxLineWidth);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(5);
    // A drag of the thumb changes the value once, when the thumb is let go.
    HScroll1->setTracking(false);
    QObject::connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
}

PaletteWindow::~PaletteWindow() = default;

QWidget *PaletteWindow::client() const
{
    return m_client;
}

void PaletteWindow::Form_Load()
{
    Settings &s = gSettings;
    SetFormTopmost(this, 1);
    m_lineMode = s.gnColorSlot == SlotLines;

    imgHide->resize(CloseButtonSize, CloseButtonSize);
    picPalette->resize(PaletteBoxWidth, PaletteBoxHeight);
    const int innerWidth = picPalette->width();
    const int outerWidth
        = units::TwipsToPixels(int64_t(innerWidth + 2 * PaletteFrame) * s.gnTwipsX, s.gnTwipsX);
    imgHide->setPicture(imgHide_Up);
    imgHide->move(innerWidth - CloseButtonSize, 0);
    picPalette->move(0, PaletteBoxTop);

    // The width controls' places, seen in line mode only; in colour mode they stay there, below
    // the bottom of the shortened window.
    const int labelTop = picPalette->y() + picPalette->height() + 2;
    const int scrollTop = labelTop + QFontMetrics(font()).height();
    const int scrollWidth = picPalette->width() - 9;
    const double scrollLeft = (innerWidth - scrollWidth) / 2.0 + 1;
    HScroll1->setGeometry(int(units::RoundHalfEven(scrollLeft)), scrollTop, scrollWidth,
                          HScroll1->sizeHint().height());
    Label1->move(int(units::RoundHalfEven(scrollLeft + 2)), labelTop);

    int outerHeight = 0;
    if (m_lineMode) {
        // The scroll bar cannot show a width outside its range; a damaged file's width is taken
        // to the nearest end of it, and that is the width from now on.
        s.gnLineWidth = int16_t(ClampLineWidth(s.gnLineWidth));
        HScroll1->setValue(s.gnLineWidth);
        Label1->setText(WidthCaption(s.gnLineWidth));
        Label1->adjustSize();
        outerHeight = units::TwipsToPixels(
            int64_t(HScroll1->y() + HScroll1->height() + 10) * s.gnTwipsY, s.gnTwipsY);
    } else {
        Label1->adjustSize();
        Label1->hide();
        HScroll1->hide();
        outerHeight = units::TwipsToPixels(
            int64_t(picPalette->y() + picPalette->height() + 2 * PaletteFrame) * s.gnTwipsY,
            s.gnTwipsY);
    }
    setFixedSize(outerWidth, outerHeight);
    m_client->setGeometry(PaletteFrame, PaletteFrame, outerWidth - 2 * PaletteFrame,
                          outerHeight - 2 * PaletteFrame);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // Colour mode stands against the Text preferences dialog, which opened it; should that dialog
    // be gone, the window takes the line mode's corner rather than some arbitrary place.
    const QWidget *textDialog = textDialogLink().window;
    if (!m_lineMode && textDialog)
        move(ColourModePlace(textDialog->frameGeometry(), s.gnTwipsX, s.gnTwipsY));
    else
        move(LineModePlace(screen, outerWidth, s.gnTwipsX, s.gnTwipsY));

    paintBackground();

    if (s.gnColorSlot >= SlotText && s.gnColorSlot <= SlotLines)
        DrawCell(s.gnColorCol[s.gnColorSlot], s.gnColorRow[s.gnColorSlot]);
}

void PaletteWindow::paintBackground()
{
    m_background = QImage(m_client->size(), QImage::Format_RGB32);
    m_background.fill(palette().color(QPalette::Window));
    // The title strip from (0, 0) to (inner width, 12), both corners included, in the colour of an
    // active window's title bar.
    QPainter painter(&m_background);
    painter.fillRect(QRect(QPoint(0, 0), QPoint(m_client->width(), TitleStripBottom)),
                     palette().color(QPalette::Active, QPalette::Highlight));
    m_client->update();
}

void PaletteWindow::paintEvent(QPaintEvent *)
{
    // The thin fixed frame: a raised two-pixel edge and a pixel of face colour inside it.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    qDrawWinPanel(&painter, rect(), palette(), /*sunken=*/false);
}

void PaletteWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    imgHide_Click();
}

void PaletteWindow::Show()
{
    if (!isVisible())
        platform::TakeKeyboardOnceShown(this);
    show();
    raise();
    activateWindow();
}

void PaletteWindow::Form_Unload()
{
    ReturnToOverlay(this, /*focusInput=*/true);
}

void PaletteWindow::Form_MouseDown(int Button, int, double X, double Y)
{
    if (Button != 1)
        return;
    // As a press on a title bar: the window manager moves the window with the pointer until the
    // button comes up. Where nobody does that, the window follows the pointer by itself.
    m_moving = !platform::caps().drag->beginMove(platform::NativeWindow(winId()));
    if (m_moving)
        m_grab = m_client->mapTo(this, QPointF(X, Y).toPoint());
}

void PaletteWindow::moveWithPointer(const QPoint &global)
{
    move(global - m_grab);
}

void PaletteWindow::HScroll1_Change()
{
    gSettings.gnLineWidth = int16_t(HScroll1->value());
    Label1->setText(WidthCaption(HScroll1->value()));
    Label1->adjustSize();
}

void PaletteWindow::imgHide_MouseDown(int, int, double, double)
{
    imgHide->setPicture(imgHide_Dn);
}

void PaletteWindow::imgHide_MouseUp(int, int, double, double)
{
    imgHide->setPicture(imgHide_Up);
}

void PaletteWindow::imgHide_Click()
{
    // The Text dialog's closing unloads this window too.
    if (const auto unloadTextDialog = textDialogLink().unload)
        unloadTextDialog();
    frmColor.unload();
}

void PaletteWindow::picPalette_MouseDown(int, int, double X, double Y)
{
    pfDownX = X;
    pfDownY = Y;
}

void PaletteWindow::picPalette_Click()
{
    Settings &s = gSettings;
    const int slot = s.gnColorSlot;
    if (slot < SlotText || slot > SlotLines)
        return;
    const QPoint cell = PaletteCellAt(pfDownX, pfDownY);
    if (IsEmptyCell(cell.x(), cell.y()))
        return;
    s.gnColorCol[slot] = int16_t(cell.x());
    s.gnColorRow[slot] = int16_t(cell.y());
    DeriveSlotColor(s, slot);
    if (slot != SlotLines && textDialogLink().setSwatchColor)
        textDialogLink().setSwatchColor(slot, s.glColor[slot]);
    DrawCell(cell.x(), cell.y());
}

void DrawCell(int column, int row)
{
    PaletteWindow *window = frmColor.ifLoaded();
    if (!window)
        return;
    window->picPalette->Cls();
    if (const auto frame = CellFrameFor(column, row))
        window->picPalette->drawFrame(*frame);
}
