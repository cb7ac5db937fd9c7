// Help: the one entry point, the help window the program shows where the system has no help
// engine, and the manual it ships.
#include "HelpRecorder.h"
#include "ProgramFixture.h"

#include "dialogs/Dialogs.h"
#include "dialogs/GeneralPreferences.h"
#include "forms/Help.h"
#include "platform/HelpFile.h"
#include "platform/qt/QtHelpEngine.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

namespace {

QByteArray shippedManual()
{
    QFile file(QStringLiteral(QUILLAN_HELP_SOURCE));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HelpTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        startProgram();
        boxes.clear();
    }

    void putHelpFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(AppPathSlash() + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    platform::QtHelpEngine &showHelpInWindows()
    {
        auto engine = std::make_unique<platform::QtHelpEngine>();
        platform::QtHelpEngine &help = *engine;
        platform::caps().help = std::move(engine);
        return help;
    }

    // The text of the first block the browser shows at its top.
    static QString topLine(QTextBrowser *browser)
    {
        return browser->cursorForPosition(QPoint(4, 4)).block().text().trimmed();
    }
};

} // namespace

TEST(HelpFile, FoundWhateverTheCaseOfItsName)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString dir = folder.path() + QLatin1Char('/');
    EXPECT_TRUE(platform::FindFileIgnoringCase(dir + QStringLiteral("Quillan.hlp")).isEmpty());
    QFile file(dir + QStringLiteral("Quillan.hlp"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const char *asked : {"quillan.hlp", "Quillan.hlp", "QUILLAN.HLP"})
        EXPECT_EQ(platform::FindFileIgnoringCase(dir + QLatin1String(asked)),
                  dir + QStringLiteral("Quillan.hlp"))
            << asked;
    EXPECT_TRUE(platform::FindFileIgnoringCase(dir + QStringLiteral("quillan.hl")).isEmpty());
    // The exact name wins over another spelling of it.
    QFile lower(dir + QStringLiteral("quillan.hlp"));
    ASSERT_TRUE(lower.open(QIODevice::WriteOnly));
    lower.close();
    EXPECT_EQ(platform::FindFileIgnoringCase(dir + QStringLiteral("quillan.hlp")),
              dir + QStringLiteral("quillan.hlp"));
    // A folder of that name is not the file.
    QDir(folder.path()).mkdir(QStringLiteral("other.hlp"));
    EXPECT_TRUE(platform::FindFileIgnoringCase(dir + QStringLiteral("OTHER.HLP")).isEmpty());
}

TEST_F(HelpTest, HelpTopicsAsksForTheContentsForTheMainForm)
{
    HelpRecorder &help = recordHelp();
    putHelpFile(QStringLiteral("Quillan.hlp"), "<html></html>");
    main().mnuContents_Click();
    ASSERT_EQ(help.requests.size(), 1u);
    EXPECT_EQ(help.requests[0].owner, platform::NativeWindow(main().winId()));
    EXPECT_EQ(QString::fromStdString(help.requests[0].file),
              AppPathSlash() + QStringLiteral("quillan.hlp"));
    EXPECT_EQ(help.requests[0].command, platform::HELP_CONTENTS_Command);
    EXPECT_EQ(help.requests[0].data, 0ul);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(HelpTest, AMissingHelpFileIsNamedInAMessage)
{
    HelpRecorder &help = recordHelp();
    main().mnuContents_Click();
    ShowHelp(nullptr, QStringLiteral("Quillan.hlp"), platform::HELP_CONTEXT_Command, 10);
    EXPECT_TRUE(help.requests.empty());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("'quillan.hlp'")))
        << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(AppPathSlash())));
    EXPECT_TRUE(boxes[1].text.contains(QStringLiteral("'Quillan.hlp'")));
    EXPECT_EQ(boxes[0].title, ProgramBoxTitle());
}

TEST_F(HelpTest, TheHelpWindowShowsTheContentsAndThePreferencesTopic)
{
    putHelpFile(QStringLiteral("Quillan.hlp"), shippedManual());
    platform::QtHelpEngine &help = showHelpInWindows();

    main().mnuContents_Click();
    platform::HelpWindow *window = help.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->windowTitle(), QStringLiteral(" Vyn Quillane Help"));
    QTextBrowser *browser = window->browser();
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("contents"));
    EXPECT_EQ(topLine(browser), QStringLiteral("Vyn Quillane Help"));

    // The dialog's Help button: the same window, at topic 10.
    GeneralPreferences &dialog = *frmGeneral;
    dialog.cmdHelp_Click();
    EXPECT_EQ(help.window(), window);
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("topic-10"));
    EXPECT_GT(browser->verticalScrollBar()->value(), 200);
    EXPECT_EQ(topLine(browser), QStringLiteral("The preference dialogs"));
    EXPECT_TRUE(boxes.empty());

    // Contents brings the first page back; Back returns to the topic.
    QTest::mouseClick(window->contentsButton(), Qt::LeftButton);
    EXPECT_EQ(topLine(browser), QStringLiteral("Vyn Quillane Help"));
    browser->backward();
    EXPECT_EQ(topLine(browser), QStringLiteral("The preference dialogs"));
    dialog.cmdCancel_Click();
}

TEST_F(HelpTest, TheWindowTakesInputWhileTheModalDialogThatAskedIsOpen)
{
    putHelpFile(QStringLiteral("quillan.HLP"), shippedManual());
    platform::QtHelpEngine &help = showHelpInWindows();
    bool closedByItsOwnKey = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = dynamic_cast<GeneralPreferences *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->cmdHelp_Click();
        ASSERT_NE(help.window(), nullptr);
        QWindow *window = help.window()->windowHandle();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->transientParent(), dialog->windowHandle());
        // A key through the window system reaches a window only when no modal window blocks it.
        help.window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Escape);
        closedByItsOwnKey = !help.window()->isVisible();
        dialog->cmdCancel_Click();
    });
    main().mnuPrefsGeneral_Click();
    EXPECT_TRUE(closedByItsOwnKey);
}

TEST_F(HelpTest, ATopicTheFileDoesNotHaveShowsTheContents)
{
    putHelpFile(QStringLiteral("Quillan.hlp"), shippedManual());
    platform::QtHelpEngine &help = showHelpInWindows();
    EXPECT_TRUE(help.WinHelp(0, (AppPathSlash() + QStringLiteral("Quillan.hlp")).toStdString(),
                             platform::HELP_CONTEXT_Command, 77));
    ASSERT_NE(help.window(), nullptr);
    EXPECT_EQ(help.window()->browser()->source().fragment(), QStringLiteral("contents"));
    // Commands other than the two, and files that are not there, show nothing.
    EXPECT_FALSE(
        help.WinHelp(0, (AppPathSlash() + QStringLiteral("Quillan.hlp")).toStdString(), 2, 0));
    EXPECT_FALSE(help.WinHelp(0, (AppPathSlash() + QStringLiteral("none.hlp")).toStdString(),
                              platform::HELP_CONTENTS_Command, 0));
}

TEST(HelpManual, EveryLinkLeadsToAPlaceInIt)
{
    const QString manual = QString::fromUtf8(shippedManual());
    ASSERT_FALSE(manual.isEmpty());
    QSet<QString> anchors;
    for (const auto &m :
         QRegularExpression(QStringLiteral("name=\"([^\"]+)\"")).globalMatch(manual))
        anchors.insert(m.captured(1));
    EXPECT_TRUE(anchors.contains(QStringLiteral("contents")));
    EXPECT_TRUE(anchors.contains(QStringLiteral("topic-10")));
    int links = 0;
    for (const auto &m :
         QRegularExpression(QStringLiteral("href=\"([^\"]*)\"")).globalMatch(manual)) {
        ++links;
        const QString target = m.captured(1);
        ASSERT_TRUE(target.startsWith(QLatin1Char('#'))) << target.toStdString();
        EXPECT_TRUE(anchors.contains(target.mid(1))) << target.toStdString();
    }
    EXPECT_GT(links, 20);
    // It covers what the program does.
    for (const char *subject :
         {"Standby", "Hot keys", "Preferences - General", "Preferences - Text", "QUILLAN.DAT",
          "Draw Lines", "Boss Is Comin'"})
        EXPECT_TRUE(manual.contains(QLatin1String(subject))) << subject;
}
