#include "CommandMenu.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>

#include <algorithm>
#include <vector>

CommandMenu::CommandMenu(const QString &title, QWidget *parent)
    : QMenu(title, parent)
{
}

void CommandMenu::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool plainLetter = event->text().size() == 1
        && (mods == Qt::NoModifier || mods == Qt::ShiftModifier || mods == Qt::AltModifier);
    if (!plainLetter) {
        QMenu::keyPressEvent(event);
        return;
    }
    const QChar letter = event->text().at(0).toUpper();
    std::vector<QAction *> enabled;
    bool anyCarriesIt = false;
    for (QAction *action : actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
        if (mnemonic.isEmpty() || (mnemonic[0].toCombined() & 0xffff) != int(letter.unicode()))
            continue;
        anyCarriesIt = true;
        if (action->isEnabled())
            enabled.push_back(action);
    }
    if (!anyCarriesIt) {
        QMenu::keyPressEvent(event);
        return;
    }
    event->accept();
    // Only greyed-out items carry the letter: it does nothing.
    if (enabled.empty())
        return;
    QAction *next = enabled.front();
    const auto current = std::find(enabled.begin(), enabled.end(), activeAction());
    if (current != enabled.end() && current + 1 != enabled.end())
        next = *(current + 1);
    setActiveAction(next);
    if (enabled.size() == 1) {
        // Chosen as Enter chooses the highlighted item: the command runs, or the sub-menu opens.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QMenu::keyPressEvent(&enter);
    }
}
