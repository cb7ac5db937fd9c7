#include "TextEntry.h"

QString GetLastLine(const QString &S)
{
    if (S.isEmpty())
        return QString();
    const qsizetype P = S.lastIndexOf(QLatin1Char('\r')) + 1; // 1-based; 0 when there is none
    return S.right(S.size() - P);
}
