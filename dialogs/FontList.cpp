#include "FontList.h"

#include "settings/Settings.h"
#include "settings/Units.h"

#include <QFontDatabase>

#include <algorithm>

QStringList FontListNames()
{
    Settings &s = gSettings;
    if (s.pnFontLoadFlag == 0) {
        const QStringList families = QFontDatabase::families();
        s.pnFontCount = units::Clamp16(families.size());
        s.psFontNames = families.mid(0, s.pnFontCount);
    }
    QStringList names = s.psFontNames.mid(0, std::max<int>(s.pnFontCount, 0));
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}
