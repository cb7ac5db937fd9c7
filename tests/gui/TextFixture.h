#pragma once

// Helpers of the text block's widget tests: keys sent to the overlay as a user's keyboard sends
// them, the point the caret marks, and the area the surface repaints.

#include "ProgramFixture.h"

#include "overlay/TextItem.h"

#include <QObject>
#include <QRegion>

class TextTest : public ProgramTest
{
protected:
    // Starts the program on the default settings, with `text` in txtInput and the caret placed
    // after it, as after typing it.
    void startWithText(const QString &text);

    // Keys to the overlay, which hands them to txtInput.
    void type(const QString &text);
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // The insertion point the caret marks: the bar stands half its width plus 3 pixels left of
    // it, the underscore at it; the caret's bottom is a sixth of its height above the bottom of
    // the caret's line.
    QPointF caretInsertion() const;
    // The insertion point after `textBeforeCaret`, from the text as lblShow lays it out.
    QPointF insertionAfter(const QString &textBeforeCaret) const;
};

// Adds up what a widget repaints.
class PaintSpy : public QObject
{
public:
    explicit PaintSpy(QWidget *widget);
    QRegion painted;
    void clear() { painted = QRegion(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Lets the surface repaint what is due.
void processPaints();
