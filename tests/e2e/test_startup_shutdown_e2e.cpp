// A request to end while the start-up message about a broken settings file is still open: the
// program ends at once, leaves the broken file as it was (nothing half read is saved), and no
// overlay is left behind that its own exits could not end.
#include "E2eHarness.h"

#include <csignal>

// GoogleTest before Xlib, whose macros (None, True, False) it would trip over.
#include <gtest/gtest.h>

using namespace e2e;

namespace {

// A settings file cut short in its text: its fixed part reads, the rest does not.
QByteArray brokenFile()
{
    const QByteArray whole = Program::settingsBytes();
    return whole.left(whole.size() - 3);
}

TEST(ShutDownDuringStartUp, SigtermWhileTheBrokenFileMessageIsOpenEndsAndSavesNothing)
{
    paintDesktopPlain(0x404040);
    Program program;
    const QByteArray broken = brokenFile();
    program.writeSettings(broken);
    ASSERT_TRUE(program.startWithoutWaiting());
    ASSERT_NE(waitForMessageBox(), 0UL) << "the broken file is reported";

    program.signal(SIGTERM);
    ASSERT_TRUE(program.waitForExit(5000)) << "the program ended when told to";
    EXPECT_EQ(program.exitCode(), 0) << program.output().toStdString();
    EXPECT_EQ(program.readSettings(), broken) << "nothing was saved over the file";
    EXPECT_TRUE(windowsNamed(QStringLiteral("Vyn Quillane")).empty()) << "no window is left";

    // The next start reports the file again, and once the message is closed the program starts
    // with the defaults and saves them at its exit, as always.
    ASSERT_TRUE(program.start(/*expectFirstStartBox=*/true)) << program.output().toStdString();
    program.exitThroughMenu();
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.readSettings(), Program::settingsBytes());
}

} // namespace
