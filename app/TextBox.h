#pragma once

#include <QPlainTextEdit>

#include <functional>

// The text box `txtInput`: a multi-line editor whose text, as the rest of the program sees it,
// has carriage return + line feed line breaks, and whose caret position SelStart counts a line
// break as two characters. Assigning a text equal to the current one changes nothing and raises
// no change notification.
class TextBox : public QPlainTextEdit
{
public:
    explicit TextBox(QWidget *parent = nullptr);

    // Undo reaches back this many steps at most.
    static constexpr int MaxUndoSteps = 1000;

    QString text() const;
    void setText(const QString &text);

    // The start of the selection (the caret when nothing is selected), in characters of text().
    qsizetype SelStart() const;
    // Moves the caret to a position in characters of text(), with no selection.
    void setSelStart(qsizetype position);

    // Raised before the editor acts on a key, and after it has.
    std::function<void(QKeyEvent *)> onKeyDown;
    std::function<void(QKeyEvent *)> onKeyUp;
    // Raised after every change of the content.
    std::function<void()> onChange;
    // Raised after an input method has committed text (or replaced some), which it may do with no
    // key going up in the text box at all.
    std::function<void()> onInputMethodCommit;

    // Text as the editor holds it (lone line feeds) from text with any line breaks, and back.
    static QString toEditor(const QString &text);
    static QString fromEditor(const QString &raw);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    bool m_everShown = false;
};
