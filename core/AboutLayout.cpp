#include "AboutLayout.h"

#include "settings/Units.h"

namespace {

int32_t half(int64_t value)
{
    return int32_t(units::IntDiv(value, 2));
}

void centreIn(const TwipsBox &frame, TwipsBox &item)
{
    item.left = half(int64_t(frame.width) - item.width);
}

} // namespace

AboutLayout LayOutAboutBox(const AboutMeasures &m)
{
    AboutLayout l;
    l.appName = m.appName;
    l.version = m.version;
    l.copyright = m.copyright;
    l.name = m.name;
    l.image = m.image;
    l.rights = m.rights;
    l.ok = m.ok;
    l.notices = m.notices;
    l.frame1.top = m.frameTop;
    l.frame2.height = 45;

    l.frame1.width = l.notices[3].width + 480;
    l.frame2.width = l.frame1.width - 240;
    l.width = l.frame1.width + 240;
    l.frame1.left = 120 - half(units::Clamp16(m.borderWidth));

    for (TwipsBox *item :
         {&l.appName, &l.version, &l.copyright, &l.name, &l.image, &l.ok, &l.rights, &l.frame2})
        centreIn(l.frame1, *item);

    l.appName.top = 270;
    l.version.top = m.appNameTextHeight + l.appName.top + 15;
    const int32_t y1 = units::Clamp16(int64_t(l.version.height) + l.version.top);
    const int32_t y2 = units::Clamp16(int64_t(l.image.height) + 180);
    l.image.top = y1 + 90;
    l.copyright.top = y2 + y1;
    l.name.top = m.copyrightTextHeight + l.copyright.top - 30;
    l.rights.top = m.nameTextHeight + l.name.top + 30;
    l.frame2.top = m.rightsTextHeight + l.rights.top + 90;

    l.notices[0].top = l.frame2.top + 120;
    centreIn(l.frame1, l.notices[0]);
    for (int i = 1; i < 5; ++i) {
        l.notices[i].top = l.notices[i - 1].top + 210;
        centreIn(l.frame1, l.notices[i]);
    }

    l.frame1.height = l.notices[4].height + l.notices[4].top + 120;
    l.height = l.frame1.height + l.frame1.top + units::Clamp16(m.borderHeight) + 90;
    return l;
}
