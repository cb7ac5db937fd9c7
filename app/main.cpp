#include "app/MainForm.h"
#include "forms/Fonts.h"
#include "forms/Forms.h"
#include "forms/MessageBox.h"
#include "forms/ProgramIcon.h"
#include "overlay/OverlayForm.h"
#include "platform/FontStart.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QPixmap>
#include <QScopeGuard>

#include <cstdio>

namespace {

// Reads the system's fonts and opens the text's default face (a metric-compatible Arial), as
// the first text measured would; later fonts come from the same font database.
void WarmUpTextFonts()
{
    QFontMetrics(ArialFont(36, true)).horizontalAdvance(QStringLiteral("Hello!"));
}

} // namespace

int main(int argc, char *argv[])
{
    platform::FontConfigurationStart fontStart;
    QApplication application(argc, argv);
    // However main() ends (a second start ends at once), the font configuration is loaded before
    // the application object goes: its end lets the toolkit's font configuration go, which must
    // not happen while the configuration is still being loaded.
    const auto fontsLoaded = qScopeGuard([&fontStart] { fontStart.wait(); });
    // Ends before the application object does, taking the platform layer with it.
    const platform::CapabilitiesScope platformScope;
    QApplication::setApplicationName(QStringLiteral("Vyn Quillane"));
    QApplication::setDesktopFileName(QStringLiteral(QUILLAN_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(ProgramIcon())));

    // One copy per session: a second start brings the running copy's overlay back from standby
    // (where the system keeps the standby key from the program, that is the way back) and ends.
    platform::SingleInstance &instance = *platform::caps().singleInstance;
    if (instance.askRunningCopy())
        return 0;
    const auto returnFromStandby = [] {
        if (frmMain.isLoaded())
            frmMain->ReturnFromStandby();
    };
    instance.listen(returnFromStandby);

    // Where the desktop is copied by another process (the Wayland desktop portal, or the
    // compositor drawing the frame it copies), the font system starts up meanwhile: the text
    // needs it for its first frame.
    platform::caps().capture->setWorkWhileWaiting([&fontStart] {
        fontStart.wait();
        WarmUpTextFonts();
    });
    const std::string unavailable = platform::caps().capture->unavailableReason();
    fontStart.wait();
    if (!unavailable.empty()) {
        std::fprintf(stderr, "%s\n", unavailable.c_str());
        MsgBox(QString::fromStdString(unavailable), MsgIcon::Critical, ProgramBoxTitle());
        return 1;
    }

    // The session ending saves the settings, as the window's own close does.
    QObject::connect(&application, &QGuiApplication::commitDataRequest,
                     [](QSessionManager &) { frmMain->Form_QueryUnload(2); });
    platform::caps().session->watchSessionEnd([] { frmMain->Form_QueryUnload(2); });
    // Where the desktop hands out the standby keys (its global shortcuts portal), F10 to F12 bring
    // the overlay back as the second start does. The desktop may ask the user first; the program
    // does not wait for the answer.
    // Only the standby key the settings name brings it back, as the key state does on X11.
    platform::caps().shortcuts->watchReturnKeys([returnFromStandby](int key) {
        if (key == gSettings.gnStandbyKey)
            returnFromStandby();
    });

    frmMain.get();
    // Told to end during start-up (the broken-file message runs before the event loop): the
    // program is done, and an event loop started now would never be asked to end again.
    const int status = frmMain->isEnding() ? 0 : QApplication::exec();
    frmShow.destroy();
    frmMain.destroy();
    return status;
}
