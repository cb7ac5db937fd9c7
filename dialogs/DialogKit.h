#pragma once

#include "CaptionFrame.h"
#include "DialogPlacement.h"
#include "core/AboutLayout.h"

#include <QString>

#include <functional>

class QComboBox;
class QLabel;
class QWidget;

// How the dialogs and the palette window build themselves: each control named as the documents
// name it and placed from its Left, Top, Width and Height in twips, in the dialog's font (an
// Arial font, forms/Fonts.h). `sizes` is how a control's size is turned into pixels: from its
// edges (the usual way) or on its own (the Text dialog's layout).
class DialogKit
{
public:
    explicit DialogKit(TwipSizes sizes = TwipSizes::FromEdges)
        : m_sizes(sizes)
    {
    }

    void place(QWidget *control, int left, int top, int width, int height) const;

    // A new control on `parent`, named and placed.
    template<class W>
    W *add(QWidget *parent, const char *name, int left, int top, int width, int height) const
    {
        W *control = new W(parent);
        named(control, name);
        place(control, left, top, width, height);
        return control;
    }
    // The same, with its caption.
    template<class W>
    W *add(QWidget *parent, const char *name, const QString &caption, int left, int top, int width,
           int height) const
    {
        W *control = add<W>(parent, name, left, top, width, height);
        control->setText(caption);
        return control;
    }

    CaptionFrame *frame(QWidget *parent, const char *name, const QString &caption,
                        const FrameLook &look, int left, int top, int width, int height) const;
    // A label whose caption starts at its top-left corner.
    QLabel *topLeftLabel(QWidget *parent, const char *name, const QString &caption, int left,
                         int top, int width, int height) const;
    // A combo box whose text field keeps what is typed: no completion to a list item, and Enter
    // adds nothing to the list.
    QComboBox *editableCombo(QWidget *parent, const char *name, int left, int top, int width,
                             int height) const;

    // A control's place from a box in twips.
    void place(QWidget *control, const TwipsBox &box) const
    {
        place(control, box.left, box.top, box.width, box.height);
    }

    // The control's KeyPress event, as the form runtime raises it: for Enter (KeyAscii 13) or a
    // key that types one character. A handler that sets KeyAscii to 0 keeps the key from going
    // any further.
    static void raiseKeyPress(QWidget *control, std::function<void(int &KeyAscii)> keyPress);

    template<class W> static W *named(W *control, const char *name)
    {
        control->setObjectName(QLatin1String(name));
        return control;
    }

private:
    TwipSizes m_sizes;
};
