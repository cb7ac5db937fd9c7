#include "TextFixture.h"

#include "settings/Units.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QTest>

void TextTest::startWithText(const QString &text)
{
    writeSettingsFile(DefaultSettingsBytes());
    startProgram();
    main().txtInput->setText(text);
    main().txtInput->setSelStart(main().txtInput->text().size());
    main().txtInput_KeyUp(0, 0);
}

void TextTest::type(const QString &text)
{
    QTest::keyClicks(&overlay(), text);
}

void TextTest::key(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(&overlay(), key, modifiers);
}

QPointF TextTest::caretInsertion() const
{
    const TextItem &caret = frmShow->textBlock().lblCursor;
    const double dx = gSettings.gnCursorStyle == 0
        ? double(units::IntDiv(units::RoundHalfEven(caret.width()), 2) + 3)
        : 0.0;
    const double dy = double(units::IntDiv(units::RoundHalfEven(caret.height()), 6));
    return {caret.left() + dx, caret.top() + caret.height() + dy};
}

QPointF TextTest::insertionAfter(const QString &textBeforeCaret) const
{
    const TextItem &text = frmShow->textBlock().lblShow;
    const QStringList lines = TextLayout::lines(textBeforeCaret);
    return {text.left() + TextLayout::lineWidth(text.font(), lines.last()),
            text.top() + TextLayout::measure(text.font(), textBeforeCaret).height()};
}

PaintSpy::PaintSpy(QWidget *widget)
{
    widget->installEventFilter(this);
}

bool PaintSpy::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        painted += static_cast<QPaintEvent *>(event)->region();
    return false;
}

void processPaints()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}
