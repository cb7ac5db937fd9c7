#include "MenuItems.h"

#include "CommandMenu.h"
#include "settings/Settings.h"

#include <QAction>

void MenuItems::buildMenu(QWidget *owner)
{
    mnuMenu = new CommandMenu(QStringLiteral("&Menu"), owner);
    mnuPreferences = new CommandMenu(QStringLiteral("&Preferences"), mnuMenu);
    mnuPreferences->setObjectName(QStringLiteral("mnuPreferences"));

    // The items in their order, each under its documented name, with its caption and the command
    // it runs; an item without a caption is a separator.
    using M = MenuItems;
    struct Item
    {
        QAction *M::*item;
        const char *name;
        const char *caption = nullptr;
        void (M::*command)() = nullptr;
        QMenu *M::*menu = &M::mnuMenu;
    };
    const Item items[] = {
        {&M::mnuClear, "mnuClear", "Clear &Text", &M::mnuClear_Click},
        {&M::mnuClearLines, "mnuClearLines", "Clear &Lines", &M::mnuClearLines_Click},
        {&M::mnuRestore, "mnuRestore", "&Restore Text", &M::mnuRestore_Click},
        {&M::mnuBar0, "mnuBar0"},
        {&M::mnuHide, "mnuHide", "&Standby", &M::mnuHide_Click},
        {&M::mnuBar1, "mnuBar1"},
        {&M::mnuModeTexts, "mnuModeTexts", "Enter &Text", &M::mnuModeTexts_Click},
        {&M::mnuModeLines, "mnuModeLines", "Draw &Lines", &M::mnuModeLines_Click},
        {&M::mnuBar2, "mnuBar2"},
        {&M::mnuPrefsTexts, "mnuPrefsTexts", "&Text...", &M::mnuPrefsTexts_Click,
         &M::mnuPreferences},
        {&M::mnuPrefsLines, "mnuPrefsLines", "&Line...", &M::mnuPrefsLines_Click,
         &M::mnuPreferences},
        {&M::mnuPrefsGeneral, "mnuPrefsGeneral", "&General...", &M::mnuPrefsGeneral_Click,
         &M::mnuPreferences},
        {&M::mnuBar3, "mnuBar3"},
        {&M::mnuContents, "mnuContents", "&Help Topics...", &M::mnuContents_Click},
        {&M::mnuAbout, "mnuAbout", "&About...", &M::mnuAbout_Click},
        {&M::mnuBar4, "mnuBar4"},
        {&M::mnuQuit, "mnuQuit", "E&xit", &M::mnuQuit_Click},
    };
    for (const Item &row : items) {
        QMenu *menu = this->*row.menu;
        QAction *item = row.caption ? menu->addAction(QString::fromLatin1(row.caption))
                                    : menu->addSeparator();
        item->setObjectName(QLatin1String(row.name));
        if (row.command)
            QObject::connect(item, &QAction::triggered, mnuMenu,
                             [this, command = row.command] { (this->*command)(); });
        this->*row.item = item;
    }
    mnuMenu->insertMenu(mnuBar3, mnuPreferences);
    mnuModeTexts->setCheckable(true);
    mnuModeLines->setCheckable(true);

    // The states the menu has before start-up sets them.
    mnuModeTexts->setChecked(true);
    mnuBar4->setVisible(false);
    mnuQuit->setVisible(false);
}

void MenuItems::setStartStates()
{
    mnuClear->setEnabled(true);
    mnuClearLines->setEnabled(false);
    mnuRestore->setEnabled(false);
    mnuPrefsLines->setEnabled(false);
}

void MenuItems::setTextShown(bool shown)
{
    mnuModeTexts->setEnabled(shown);
    mnuClear->setEnabled(shown);
    mnuRestore->setEnabled(!shown);
}

void MenuItems::setLineMode(bool lines)
{
    mnuModeTexts->setChecked(!lines);
    mnuModeLines->setChecked(lines);
    mnuPrefsTexts->setEnabled(!lines);
    mnuPrefsLines->setEnabled(lines);
}

void MenuItems::prepareForPopup(int Shift)
{
    const bool exitShown = Shift == 7;
    mnuBar4->setVisible(exitShown);
    mnuQuit->setVisible(exitShown);
    mnuClearLines->setEnabled(gSettings.gbLinesShown == True);
    mnuRestore->setEnabled(gSettings.gbTextShown != True);
}
