#pragma once

#include <QMenu>

// A pop-up menu whose access keys reach every enabled item. QMenu goes by the letter alone: when
// a disabled item shares it with enabled ones, the key stops on the first of them, disabled or not
// (so "Draw &Lines" was never reached while "Clear &Lines" was greyed out), and a letter with one
// enabled item among several does not choose it. Here a letter counts only the visible, enabled
// items that carry it: one such item is chosen at once (a sub-menu opens), several are stepped
// through in order, starting after the highlighted one, and Enter chooses the highlighted one.
class CommandMenu : public QMenu
{
public:
    explicit CommandMenu(const QString &title, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
