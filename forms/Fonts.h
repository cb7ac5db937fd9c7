#pragma once

#include <QFont>

// The program's own windows are set in Arial (a metric-compatible face where Arial itself is not
// installed): an Arial font of `points` points, bold or not.
QFont ArialFont(double points, bool bold = false);
