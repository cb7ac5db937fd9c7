#pragma once

#include "platform/HelpEngine.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QPushButton;
class QTextBrowser;
class QWindow;

namespace platform {

// The program's own help window: the help file (HTML) in a browser with Contents, Back and
// Forward. It stays above the other windows, the topmost overlay included, and takes input while
// a modal dialog that asked for it is open.
class HelpWindow : public QWidget
{
public:
    HelpWindow();

    // Shows `file` at `anchor` ("contents" or "topic-N"), loading the file if it is not shown yet.
    void showAt(const QString &file, const QString &anchor);
    // Puts the window in front again without taking the keyboard.
    void bringToFront(bool activate);
    // Stays usable while `owner` (a window of this program) is modal, and comes back to the
    // front when that window goes away. Null: no owner.
    void setOwner(QWindow *owner);

    QTextBrowser *browser() const { return m_browser; }
    QPushButton *contentsButton() const { return m_contents; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTextBrowser *m_browser;
    QPushButton *m_contents;
    QPushButton *m_back;
    QPushButton *m_forward;
    QPointer<QWindow> m_owner;
};

// The help engine on systems without one of their own: topics of the program's help file, an
// HTML document, in a HelpWindow. HELP_CONTENTS shows the anchor "contents", HELP_CONTEXT n the
// anchor "topic-n" (the contents when the file has no such topic). The file is found without
// regard to the case of its name. Returns false, showing nothing, when there is no such file or
// the command is not one of the two.
class QtHelpEngine final : public HelpEngine
{
public:
    ~QtHelpEngine() override;
    bool WinHelp(NativeWindow owner, const std::string &file, unsigned command,
                 unsigned long data) override;

    // The window, once help has been shown.
    HelpWindow *window() const { return m_window; }

private:
    QPointer<HelpWindow> m_window;
};

} // namespace platform
