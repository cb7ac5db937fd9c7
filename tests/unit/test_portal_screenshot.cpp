// The desktop portal's screenshot answer, and the picture file it leaves behind.
#include "platform/wayland/PortalScreenshot.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

#include <climits>

using namespace platform::wayland;

namespace {

QVariantMap withUri(const QString &uri)
{
    return {{QStringLiteral("uri"), uri}};
}

std::uint32_t pixelAt(const platform::DesktopImage &image, int x, int y)
{
    return reinterpret_cast<const std::uint32_t *>(reinterpret_cast<const char *>(image.pixels)
                                                   + y * image.strideBytes)[x];
}

// A picture whose every pixel says where it is.
QImage numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | std::uint32_t(x) << 8 | std::uint32_t(y));
    return image;
}

TEST(PortalResponse, DoneWithLocalFileGivesItsPath)
{
    const ScreenshotAnswer plain = ReadScreenshotResponse(0, withUri("file:///tmp/out.png"));
    EXPECT_EQ(plain.path, QStringLiteral("/tmp/out.png"));
    EXPECT_TRUE(plain.failure.empty());
    // Portals percent-encode the path, and the results carry other keys too.
    QVariantMap results = withUri("file:///home/u%20v/Pictures/Screenshot%20%C3%A9.png");
    results.insert(QStringLiteral("color"), 3);
    EXPECT_EQ(ReadScreenshotResponse(0, results).path,
              QStringLiteral("/home/u v/Pictures/Screenshot \u00e9.png"));
}

TEST(PortalResponse, EveryFailureSaysWhyAndGivesNoPath)
{
    struct Row
    {
        unsigned code;
        QVariantMap results;
        std::string expected;
        KeptAnswer kept = KeptAnswer::Unknown;
    };
    const Row rows[] = {
        {1, withUri("file:///tmp/out.png"), reasons::refused()}, // even with a file
        {2, {}, reasons::cancelled()},
        // GNOME answers its user's "no" with 2, and keeps the "no": how to be asked again.
        {2, {}, reasons::refusedAndKept(), KeptAnswer::No},
        {2, {}, reasons::cancelled(), KeptAnswer::Yes},
        {2, {}, reasons::cancelled(), KeptAnswer::None},
        {1, {}, reasons::refused(), KeptAnswer::No},
        {3, withUri("file:///tmp/out.png"), reasons::cancelled()}, // a code of no portal's
        {0, {}, reasons::noPicture()},
        {0, withUri(""), reasons::noPicture()},
        {0, withUri("https://example.org/out.png"), reasons::noPicture()},
        {0, withUri("out.png"), reasons::noPicture()}, // relative: not a file we know
        {0, {{QStringLiteral("uri"), 42}}, reasons::noPicture()},
    };
    for (const Row &row : rows) {
        const ScreenshotAnswer answer = ReadScreenshotResponse(row.code, row.results, row.kept);
        EXPECT_TRUE(answer.path.isEmpty()) << row.code;
        EXPECT_EQ(answer.failure, row.expected) << row.code << " kept " << int(row.kept);
    }
    // No answer at all: the question the desktop asked first went unanswered, where it asks and
    // has kept nothing yet; otherwise the portal gave nothing in time.
    EXPECT_EQ(ReasonForNoAnswer(KeptAnswer::None, true, 30), reasons::unanswered());
    for (const KeptAnswer kept : {KeptAnswer::Yes, KeptAnswer::No, KeptAnswer::Unknown})
        EXPECT_EQ(ReasonForNoAnswer(kept, true, 30), reasons::noAnswer(30)) << int(kept);
    EXPECT_EQ(ReasonForNoAnswer(KeptAnswer::None, false, 30), reasons::noAnswer(30));
    // A refusal tells the user what to allow, or what to run to be asked again; a missing portal
    // what to install.
    EXPECT_NE(reasons::refused().find("allow"), std::string::npos);
    EXPECT_NE(reasons::refusedAndKept().find("DeletePermission screenshot screenshot ''"),
              std::string::npos);
    EXPECT_NE(reasons::noPortal().find("install xdg-desktop-portal"), std::string::npos);
}

TEST(PortalPicture, IsReadAtItsOwnSizeAndTheFileRemoved)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.png"));
    // Odd sizes, and an alpha channel the desktop copy must not keep.
    QImage written(7, 3, QImage::Format_ARGB32);
    written.fill(QColor(10, 20, 30, 128));
    written.setPixel(6, 2, 0xFF112233);
    written.setDotsPerMeterX(7874); // 200 dpi: a scaled output's picture is not scaled back
    written.setDotsPerMeterY(7874);
    ASSERT_TRUE(written.save(path, "PNG"));

    const QImage read = TakeScreenshotFile(path);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_EQ(read.size(), QSize(7, 3));
    EXPECT_EQ(read.format(), QImage::Format_RGB32);
    EXPECT_EQ(read.pixel(6, 2), 0xFF112233u);
    EXPECT_EQ(qAlpha(read.pixel(0, 0)), 255);
}

TEST(PortalPicture, UnreadableFileGivesNothingAndIsRemovedAnyway)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n but cut short");
    file.close();
    EXPECT_TRUE(TakeScreenshotFile(path).isNull());
    EXPECT_FALSE(QFile::exists(path));
    // A file that is not there at all.
    EXPECT_TRUE(TakeScreenshotFile(dir.filePath(QStringLiteral("gone.png"))).isNull());
}

TEST(PortalPicture, CutKeepsPixelsInPlaceAndBlackensWhatLiesOutside)
{
    const QImage desktop = numbered(5, 3);
    // Inside: the rectangle's (0, 0) is the picture's (x, y).
    platform::DesktopImage inner = CutDesktop(desktop, 1, 1, 3, 2);
    ASSERT_EQ(inner.width, 3);
    ASSERT_EQ(inner.height, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(pixelAt(inner, x, y), desktop.pixel(x + 1, y + 1));

    // Over every edge: black beyond the picture.
    platform::DesktopImage over = CutDesktop(desktop, -2, -1, 9, 5);
    ASSERT_EQ(over.width, 9);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool onPicture = x >= 2 && x < 7 && y >= 1 && y < 4;
            EXPECT_EQ(pixelAt(over, x, y), onPicture ? desktop.pixel(x - 2, y - 1) : 0xFF000000u)
                << x << "," << y;
        }

    // Nowhere near it, even at the ends of the integer range.
    for (const QRect &far :
         {QRect(5, 0, 4, 4), QRect(INT_MAX - 3, 0, 3, 2), QRect(INT_MIN, INT_MIN, 2, 2)}) {
        platform::DesktopImage outside
            = CutDesktop(desktop, far.x(), far.y(), far.width(), far.height());
        ASSERT_FALSE(outside.empty());
        for (int y = 0; y < far.height(); ++y)
            for (int x = 0; x < far.width(); ++x)
                EXPECT_EQ(pixelAt(outside, x, y), 0xFF000000u);
    }
    EXPECT_TRUE(CutDesktop(desktop, 0, 0, 0, 3).empty());
    // No picture at all: the rectangle is black.
    EXPECT_EQ(pixelAt(CutDesktop(QImage(), 0, 0, 2, 2), 1, 1), 0xFF000000u);
}

} // namespace
