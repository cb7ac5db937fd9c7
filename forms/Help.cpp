#include "Help.h"

#include "MessageBox.h"
#include "platform/HelpFile.h"
#include "platform/Platform.h"
#include "settings/InstallLayout.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QWidget>

void ShowHelp(QWidget *owner, const QString &fileName, unsigned command, unsigned long data)
{
    // The program's own folder first; an installed program's manual is in its data folder.
    QString path = AppPathSlash() + fileName;
    const QString installed = InstalledDataFolder(AppPathSlash());
    if (platform::FindFileIgnoringCase(path).isEmpty() && !installed.isEmpty())
        path = installed + fileName;
    if (platform::FindFileIgnoringCase(path).isEmpty()) {
        MsgBox(QStringLiteral("The help file '%1' cannot be found in the folder '%2'.\r\n"
                              "It belongs beside the program; put it back there to read the "
                              "help.")
                   .arg(fileName, QDir::toNativeSeparators(AppPathSlash())),
               MsgIcon::Exclamation, ProgramBoxTitle(), owner);
        return;
    }
    const platform::NativeWindow window = owner ? platform::NativeWindow(owner->winId()) : 0;
    platform::caps().help->WinHelp(window, path.toLocal8Bit().toStdString(), command, data);
}
