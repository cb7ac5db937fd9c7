#pragma once

#include "platform/HelpEngine.h"

#include <QString>

class QWidget;

// The program's help file, beside the executable. The menu asks for it as "quillan.hlp" and the
// dialogs as "Quillan.hlp"; both find the one file.
inline QString HelpFileName()
{
    return QStringLiteral("Quillan.hlp");
}

// The topic of the preference dialogs, which their Help buttons open.
constexpr unsigned long HelpTopicPreferences = 10;

// Shows help from the help file `fileName` in the program's folder (or, when it is not there, in
// the installed data folder, <prefix>/share/vyn-quillane) for the window `owner`:
// the contents (command platform::HELP_CONTENTS_Command, data 0) or one topic
// (platform::HELP_CONTEXT_Command, data the topic number). A dialog's Help button:
//     ShowHelp(this, QStringLiteral("Quillan.hlp"), platform::HELP_CONTEXT_Command,
//              HelpTopicPreferences);
// When the file is not in the folder, a message says so, naming the file and the folder; what
// the help engine itself makes of the request is not reported further.
void ShowHelp(QWidget *owner, const QString &fileName, unsigned command, unsigned long data);
