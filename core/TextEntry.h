#pragma once

#include <QString>

// The caret's line in the text before the caret: what follows the last carriage return (with
// carriage return + line feed breaks it begins with the line feed, which measures no width), or
// the whole text when it has none.
QString GetLastLine(const QString &S);
