#pragma once

// The widget tests' program: a fresh program folder for each test, a desktop picture of known
// pixels, a keyboard state the test sets, and message boxes recorded instead of shown.

#include "app/MainForm.h"
#include "forms/Forms.h"
#include "forms/MessageBox.h"
#include "overlay/OverlayForm.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QImage>
#include <QMenu>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>

// The desktop the fake capture returns: every pixel a function of its place, so a test can say
// which desktop pixel an overlay pixel shows.
QRgb DesktopPixelAt(int x, int y);

struct FakeKeys : platform::KeyState
{
    std::map<int, std::int16_t> next; // the state the next query of a key returns
    std::int16_t GetAsyncKeyState(int key) override
    {
        const auto found = next.find(key);
        return found == next.end() ? 0 : found->second;
    }
};

// The overlay's insides the tests look at.
struct OverlayInternals
{
    // The form's own persistent image: the clean snapshot, never drawn on.
    static const QImage &formImage(const OverlayForm &overlay) { return overlay.m_formImage; }
    // The overlay's form-level variables: a stroke under way, and where a drag grabbed the text.
    static int16_t pbDrawing(const OverlayForm &overlay) { return overlay.m_mouse.pbDrawing; }
    static float pfGrabX(const OverlayForm &overlay) { return overlay.m_drag.pfGrabX; }
    static float pfGrabY(const OverlayForm &overlay) { return overlay.m_drag.pfGrabY; }
};

// The main form's insides the tests look at.
struct MainFormInternals
{
    // txtInput's caret position at the last key release.
    static int32_t plStartPos(const TextInput &form) { return form.plStartPos; }
};

struct RecordedBox
{
    QString text;
    MsgIcon icon;
    QString title;
};

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts a settings file into the program's folder before the program starts.
    void writeSettingsFile(const QByteArray &bytes);
    QByteArray readSettingsFile() const;
    bool settingsFileExists() const;
    QString programFolder() const { return m_folder.path(); }

    // Runs the main form's start-up, as the program's start does.
    void startProgram();

    // Opens the overlay menu as a right press would (through `open`), lets `inspect` look at it
    // while it is up, then chooses `choose` (or closes the menu when null).
    void withPopupMenu(const std::function<void()> &open,
                       const std::function<void(QMenu &)> &inspect, QAction *choose = nullptr);

    MainForm &main() { return *frmMain; }
    OverlayForm &overlay() { return *frmShow; }

    std::vector<RecordedBox> boxes;
    FakeKeys *keys = nullptr;
    QSize desktopSize;

private:
    QTemporaryDir m_folder;
};

// Settings bytes with the defaults, built field by field.
QByteArray DefaultSettingsBytes();
