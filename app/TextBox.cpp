#include "TextBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>

namespace {
bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n');
}
} // namespace

TextBox::TextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (onChange)
            onChange();
    });
    // The editor keeps every edit for Undo, and with it every piece of text ever typed or
    // deleted, so a long session would grow without end. Past MaxUndoSteps the history starts
    // afresh (once the edit that crossed the line is complete), which lets the document drop
    // what it held for it.
    connect(
        document(), &QTextDocument::undoCommandAdded, this,
        [this] {
            if (document()->availableUndoSteps() > MaxUndoSteps)
                document()->clearUndoRedoStacks();
        },
        Qt::QueuedConnection);
}

QString TextBox::toEditor(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            out.append(QLatin1Char('\n'));
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            out.append(c);
        }
    }
    return out;
}

QString TextBox::fromEditor(const QString &raw)
{
    QString out;
    out.reserve(raw.size() + raw.size() / 16);
    for (const QChar c : raw) {
        if (isBreak(c))
            out.append(QLatin1String("\r\n"));
        else
            out.append(c);
    }
    return out;
}

QString TextBox::text() const
{
    return fromEditor(document()->toRawText());
}

void TextBox::setText(const QString &text)
{
    if (text == this->text())
        return;
    if (m_everShown) {
        setPlainText(toEditor(text));
        return;
    }
    // Before the text box has ever been shown no assistive technology knows it, and the signals
    // of its document and of the editor's text control would only start the accessibility bridge,
    // which connects to the session bus (or tries to launch one) there and then: at start-up,
    // before the overlay is up. The change is announced as any other.
    {
        const QSignalBlocker quietDocument(document());
        QObject *control = nullptr;
        for (QObject *child : children())
            if (child->inherits("QWidgetTextControl"))
                control = child;
        const QSignalBlocker quietControl(control);
        setPlainText(toEditor(text));
    }
    if (onChange)
        onChange();
}

void TextBox::showEvent(QShowEvent *event)
{
    m_everShown = true;
    QPlainTextEdit::showEvent(event);
}

qsizetype TextBox::SelStart() const
{
    const int position = textCursor().selectionStart();
    const QString raw = document()->toRawText();
    qsizetype breaks = 0;
    for (int i = 0; i < position && i < raw.size(); ++i)
        breaks += isBreak(raw.at(i)) ? 1 : 0;
    return position + breaks;
}

void TextBox::setSelStart(qsizetype position)
{
    const QString raw = document()->toRawText();
    qsizetype counted = 0;
    int editorPosition = 0;
    while (editorPosition < raw.size() && counted < position) {
        counted += isBreak(raw.at(editorPosition)) ? 2 : 1;
        ++editorPosition;
    }
    QTextCursor cursor = textCursor();
    cursor.setPosition(editorPosition);
    setTextCursor(cursor);
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (onKeyDown)
        onKeyDown(event);
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::keyReleaseEvent(QKeyEvent *event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    if (onKeyUp)
        onKeyUp(event);
}

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    const bool commits = !event->commitString().isEmpty() || event->replacementLength() > 0;
    QPlainTextEdit::inputMethodEvent(event);
    if (commits && onInputMethodCommit)
        onInputMethodCommit();
}
