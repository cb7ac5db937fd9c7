#pragma once

class QString;

// Loading and saving the settings: QUILLAN.DAT beside the program, or per user (SettingsFile.h).

// Loads every setting from the file. A file that cannot be opened or used is reported in a
// message box, and the defaults are loaded instead (the standby key read before the failure
// stays). Returns true when the message box was shown.
bool ReadData();

// Saves every setting, with the text as txtInput shows it (`shownText`). The old file is replaced
// atomically; a save that fails is reported with the file's name and the reason.
void WriteData(const QString &shownText);

// The two lines shown when the file cannot be used.
const char *BrokenFileMessage();
