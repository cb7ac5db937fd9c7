#include "DataFile.h"

#include "Forms.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "overlay/TextBlock.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"

#include <QDir>

const char *BrokenFileMessage()
{
    return "Data file 'QUILLAN.DAT' is broken or cannot be found.\r\n"
           "The default data are now being loaded instead.";
}

namespace {
void applyMeasuringFont()
{
    ApplyFont(frmMain->lblHorizontalPos, 0, 1);
    ApplyFont(frmMain->lblVerticalPos, 0, 1);
}
} // namespace

bool ReadData()
{
    const LoadedBytes file = LoadSettingsBytes();
    bool usable = file.opened;
    if (usable)
        usable = DecodeSettings(file.bytes, gSettings).ok;
    if (usable) {
        applyMeasuringFont();
        return false;
    }
    MsgBox(QString::fromLatin1(BrokenFileMessage()), MsgIcon::Critical, ProgramBoxTitle());
    SetDefaults();
    applyMeasuringFont();
    return true;
}

void WriteData()
{
    gSettings.gsText = frmMain->txtInput->text();
    const EncodeResult encoded = EncodeSettings(gSettings);
    const SaveOutcome outcome = SaveSettingsBytes(encoded.bytes);
    if (!outcome.saved) {
        MsgBox(QStringLiteral("The settings could not be saved in '%1':\r\n%2")
                   .arg(QDir::toNativeSeparators(outcome.path), outcome.error),
               MsgIcon::Exclamation, ProgramBoxTitle());
    } else if (outcome.usedFallback && outcome.fallbackIsNew) {
        MsgBox(QStringLiteral("The settings could not be saved in '%1' (%2).\r\n"
                              "They were saved in '%3' instead and will be read from there.")
                   .arg(ProgramSettingsPath(), outcome.programFolderError, outcome.path),
               MsgIcon::Information, ProgramBoxTitle());
    }
    if (encoded.truncated) {
        MsgBox(QStringLiteral("The text is longer than the settings file can hold: only its "
                              "first 65535 bytes were saved."),
               MsgIcon::Exclamation, ProgramBoxTitle());
    }
}
