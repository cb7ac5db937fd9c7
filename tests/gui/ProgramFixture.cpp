#include "ProgramFixture.h"

#include "dialogs/AboutBox.h"
#include "dialogs/Dialogs.h"
#include "dialogs/GeneralPreferences.h"
#include "dialogs/PaletteWindow.h"
#include "dialogs/TextPreferences.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

QRgb DesktopPixelAt(int x, int y)
{
    return qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, ((x + y) * 3) & 0xFF);
}

namespace {
struct FakeCapture : platform::DesktopCapture
{
    QSize size;
    std::string unavailableReason() override { return {}; }
    platform::DesktopImage captureDesktop(int x, int y, int width, int height) override
    {
        platform::DesktopImage image = platform::BlackDesktopImage(width, height);
        for (int row = std::max(y, 0); row < std::min(y + height, size.height()); ++row)
            for (int col = std::max(x, 0); col < std::min(x + width, size.width()); ++col)
                image.pixels[std::size_t(row - y) * std::size_t(width) + std::size_t(col - x)]
                    = DesktopPixelAt(col, row);
        return image;
    }
};
} // namespace

void ProgramTest::SetUp()
{
    ASSERT_TRUE(m_folder.isValid());
    SetProgramFolderForTests(m_folder.path());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.path() + QStringLiteral("/config")));
    gSettings = Settings {};
    boxes.clear();
    SetMsgBoxHook([this](const QString &text, MsgIcon icon, const QString &title) {
        boxes.push_back({text, icon, title});
    });

    auto caps = platform::makeNullCapabilities();
    auto capture = std::make_unique<FakeCapture>();
    desktopSize = QGuiApplication::primaryScreen()->geometry().size()
        * QGuiApplication::primaryScreen()->devicePixelRatio();
    capture->size = desktopSize;
    caps->capture = std::move(capture);
    auto fakeKeys = std::make_unique<FakeKeys>();
    keys = fakeKeys.get();
    caps->keys = std::move(fakeKeys);
    platform::install(std::move(caps));
}

void ProgramTest::TearDown()
{
    // A test that ended the program asked the application to quit, which makes every event loop
    // started afterwards (a menu's, a modal dialog's) return at once; an application loop run to
    // its end clears that for the next test. It runs whatever state the program is in now: a
    // test may have ended one program and started another.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    frmGeneral.destroy();
    frmInfo.destroy();
    frmFont.destroy();
    frmColor.destroy();
    frmShow.destroy();
    frmMain.destroy();
    SetMsgBoxHook(nullptr);
    platform::install(nullptr);
    SetProgramFolderForTests(QString());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ProgramTest::writeSettingsFile(const QByteArray &bytes)
{
    QFile file(ProgramSettingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ProgramTest::readSettingsFile() const
{
    QFile file(ProgramSettingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool ProgramTest::settingsFileExists() const
{
    return QFile::exists(ProgramSettingsPath());
}

void ProgramTest::startProgram()
{
    frmMain.get();
}

void ProgramTest::withPopupMenu(const std::function<void()> &open,
                                const std::function<void(QMenu &)> &inspect, QAction *choose)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no menu popped up";
        seen = true;
        inspect(*menu);
        if (choose) {
            menu->setActiveAction(choose);
            QTest::keyClick(menu, Qt::Key_Return);
        } else {
            QTest::keyClick(menu, Qt::Key_Escape);
        }
    });
    open();
    EXPECT_TRUE(seen);
}

QByteArray DefaultSettingsBytes()
{
    Settings defaults;
    const Settings saved = gSettings;
    gSettings = Settings {};
    SetDefaults();
    defaults = gSettings;
    gSettings = saved;
    return EncodeSettings(defaults).bytes;
}
