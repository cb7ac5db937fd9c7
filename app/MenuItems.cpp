#include "MenuItems.h"

#include "CommandMenu.h"
#include "settings/Settings.h"

#include <QAction>

#include <iterator>

void MenuItems::buildMenu(QWidget *owner)
{
    mnuMenu = new CommandMenu(QStringLiteral("&Menu"), owner);
    mnuClear = mnuMenu->addAction(QStringLiteral("Clear &Text"));
    mnuClearLines = mnuMenu->addAction(QStringLiteral("Clear &Lines"));
    mnuRestore = mnuMenu->addAction(QStringLiteral("&Restore Text"));
    mnuBar0 = mnuMenu->addSeparator();
    mnuHide = mnuMenu->addAction(QStringLiteral("&Standby"));
    mnuBar1 = mnuMenu->addSeparator();
    mnuModeTexts = mnuMenu->addAction(QStringLiteral("Enter &Text"));
    mnuModeLines = mnuMenu->addAction(QStringLiteral("Draw &Lines"));
    mnuModeTexts->setCheckable(true);
    mnuModeLines->setCheckable(true);
    mnuBar2 = mnuMenu->addSeparator();
    mnuPreferences = new CommandMenu(QStringLiteral("&Preferences"), mnuMenu);
    mnuMenu->addMenu(mnuPreferences);
    mnuPreferences->setObjectName(QStringLiteral("mnuPreferences"));
    mnuPrefsTexts = mnuPreferences->addAction(QStringLiteral("&Text..."));
    mnuPrefsLines = mnuPreferences->addAction(QStringLiteral("&Line..."));
    mnuPrefsGeneral = mnuPreferences->addAction(QStringLiteral("&General..."));
    mnuBar3 = mnuMenu->addSeparator();
    mnuContents = mnuMenu->addAction(QStringLiteral("&Help Topics..."));
    mnuAbout = mnuMenu->addAction(QStringLiteral("&About..."));
    mnuBar4 = mnuMenu->addSeparator();
    mnuQuit = mnuMenu->addAction(QStringLiteral("E&xit"));

    // The states the menu has before start-up sets them.
    mnuModeTexts->setChecked(true);
    mnuBar4->setVisible(false);
    mnuQuit->setVisible(false);

    const char *names[]
        = {"mnuClear",      "mnuClearLines",   "mnuRestore",   "mnuBar0",     "mnuHide",
           "mnuBar1",       "mnuModeTexts",    "mnuModeLines", "mnuBar2",     "mnuPrefsTexts",
           "mnuPrefsLines", "mnuPrefsGeneral", "mnuBar3",      "mnuContents", "mnuAbout",
           "mnuBar4",       "mnuQuit"};
    QAction *items[]
        = {mnuClear,     mnuClearLines, mnuRestore, mnuBar0,       mnuHide,       mnuBar1,
           mnuModeTexts, mnuModeLines,  mnuBar2,    mnuPrefsTexts, mnuPrefsLines, mnuPrefsGeneral,
           mnuBar3,      mnuContents,   mnuAbout,   mnuBar4,       mnuQuit};
    for (std::size_t i = 0; i < std::size(items); ++i)
        items[i]->setObjectName(QLatin1String(names[i]));
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
