#include "TextBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextBlock>

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
    setPlainText(toEditor(text));
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
