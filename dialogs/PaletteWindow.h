#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class ImageControl;
class PaletteBox;
class PaletteClient;
class QLabel;
class QScrollBar;

// `frmColor`: the always-on-top tool window with the palette, where a click picks the colour of
// the slot gnColorSlot names, and in line mode (slot 3) the line width's label and scroll bar.
//
// It has no system title bar. The window is frameless and draws its own thin fixed frame, three
// pixels wide, so that its outer width is the inner width plus 6 pixels on every platform and
// under any window manager; the inside (client()) starts at (3, 3). It draws its own title strip,
// by which it is dragged, and its own close button.
class PaletteWindow : public QWidget
{
public:
    PaletteWindow();
    ~PaletteWindow() override;

    void Form_Load();
    void Form_Unload();
    void Form_MouseDown(int Button, int Shift, double X, double Y);
    void HScroll1_Change();
    void imgHide_Click();
    void imgHide_MouseDown(int Button, int Shift, double X, double Y);
    void imgHide_MouseUp(int Button, int Shift, double X, double Y);
    void picPalette_Click();
    void picPalette_MouseDown(int Button, int Shift, double X, double Y);

    // "Show frmColor modeless": shows the window, or brings it forward when it is open already
    // (it keeps its place and layout).
    void Show();

    // The window's inside, where the controls and the title strip are; positions of the controls
    // are in its pixels.
    QWidget *client() const;
    // The window's persistent background: the face colour with the title strip painted at load.
    const QImage &background() const { return m_background; }
    // True when the window was loaded for the line colour (slot 3), with the width controls.
    bool isLineMode() const { return m_lineMode; }

    PaletteBox *picPalette;
    ImageControl *imgHide;
    QImage imgHide_Up; // the raised close picture
    QImage imgHide_Dn; // the pressed close picture
    QLabel *Label1;
    QScrollBar *HScroll1;
    // Where the last press on picPalette was, in picture pixels.
    double pfDownX = 0;
    double pfDownY = 0;

protected:
    void paintEvent(QPaintEvent *event) override;
    // A close from outside (Alt+F4, a window manager's close box or menu, a task bar) is a
    // click on the window's own close button: the window unloads, it is not merely hidden.
    void closeEvent(QCloseEvent *event) override;

private:
    friend class PaletteClient;
    void paintBackground();
    void moveWithPointer(const QPoint &global);

    PaletteClient *m_client;
    QImage m_background;
    bool m_lineMode = false;
    // The move this window makes itself where the window manager does not: the pointer's offset
    // from the window's corner while the strip is held.
    bool m_moving = false;
    QPoint m_grab;
};

// Marks the cell (column, row) on the palette window's picture with its frame, after clearing
// the previous mark; a cell outside the grid leaves the picture unmarked. Does nothing while the
// palette window is not loaded.
void DrawCell(int column, int row);
