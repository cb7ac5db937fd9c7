#pragma once

#include <QString>

#include <functional>

class QWidget;

// The program's message boxes: one OK button and an icon. Tests replace the box with a hook that
// records what would have been shown.
enum class MsgIcon { Critical, Exclamation, Information };

void MsgBox(const QString &text, MsgIcon icon, const QString &title, QWidget *parent = nullptr);

using MsgBoxHook = std::function<void(const QString &text, MsgIcon icon, const QString &title)>;
void SetMsgBoxHook(MsgBoxHook hook);
// True when a hook stands in for the real boxes.
bool MsgBoxIsHooked();

// The caption every message box of the program carries.
inline QString ProgramBoxTitle()
{
    return QStringLiteral(" Vyn Quillane");
}
