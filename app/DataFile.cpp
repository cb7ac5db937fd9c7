#include "DataFile.h"

#include "TextBox.h"
#include "forms/MessageBox.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"

const char *BrokenFileMessage()
{
    return "Data file 'QUILLAN.DAT' is broken or cannot be found.\r\n"
           "The default data are now being loaded instead.";
}

bool ReadData()
{
    const LoadedBytes file = LoadSettingsBytes();
    bool usable = file.opened;
    if (usable)
        usable = DecodeSettings(file.bytes, gSettings).ok;
    if (usable)
        return false;
    MsgBox(QString::fromLatin1(BrokenFileMessage()), MsgIcon::Critical, ProgramBoxTitle());
    SetDefaults();
    return true;
}

void WriteData(const QString &shownText)
{
    // What is saved is what is on screen. The text box gives every line break back as a
    // carriage return and a line feed, so a text read with other breaks (a lone line feed)
    // would be rewritten although nobody touched it; while the box still shows exactly what it
    // made of the text read, that text is saved as it was read.
    if (shownText != TextBox::fromEditor(TextBox::toEditor(gSettings.gsText)))
        gSettings.gsText = shownText;
    const EncodeResult encoded = EncodeSettings(gSettings);
    const SaveOutcome outcome = SaveSettingsBytes(encoded.bytes);
    if (!outcome.saved && outcome.perUser) {
        MsgBox(QStringLiteral("The settings could not be saved in '%1' (%2).")
                   .arg(outcome.path, outcome.error),
               MsgIcon::Exclamation, ProgramBoxTitle());
    } else if (!outcome.saved) {
        // Each place with its own reason: a full disk in one and no permission in the other
        // ask for different remedies.
        MsgBox(QStringLiteral("The settings could not be saved in '%1' (%2),\r\n"
                              "nor in '%3' (%4).")
                   .arg(ProgramSettingsPath(), outcome.programFolderError, UserSettingsPath(),
                        outcome.error),
               MsgIcon::Exclamation, ProgramBoxTitle());
    } else if (outcome.usedFallback && outcome.fallbackIsNew) {
        MsgBox(QStringLiteral("The settings could not be saved in '%1' (%2).\r\n"
                              "They were saved in '%3' instead and will be read from there.")
                   .arg(ProgramSettingsPath(), outcome.programFolderError, outcome.path),
               MsgIcon::Information, ProgramBoxTitle());
    }
    if (encoded.truncated && outcome.saved) {
        // The cut falls after the last whole character that fits, so the bytes kept may be a
        // few less than the limit; the beginning is what the overlay shows.
        MsgBox(QStringLiteral("The text is longer than the settings file can hold: only its "
                              "beginning, up to 65535 bytes, was saved."),
               MsgIcon::Exclamation, ProgramBoxTitle());
    }
}
