#include "MessageBox.h"

#include <QMessageBox>

namespace {
MsgBoxHook &hook()
{
    static MsgBoxHook instance;
    return instance;
}
} // namespace

void MsgBox(const QString &text, MsgIcon icon, const QString &title, QWidget *parent)
{
    if (hook()) {
        hook()(text, icon, title);
        return;
    }
    const QMessageBox::Icon qtIcon = icon == MsgIcon::Critical ? QMessageBox::Critical
        : icon == MsgIcon::Exclamation                         ? QMessageBox::Warning
                                                               : QMessageBox::Information;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(qtIcon, title, shown, QMessageBox::Ok, parent);
    // The box must come up above the topmost overlay.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

void SetMsgBoxHook(MsgBoxHook newHook)
{
    hook() = std::move(newHook);
}

bool MsgBoxIsHooked()
{
    return bool(hook());
}
