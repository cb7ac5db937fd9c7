#pragma once

class QWidget;

// Puts a form into (mode 1) or out of (mode 0) the band of topmost windows; any other mode does
// nothing. The window keeps its place, size and visibility and is never re-created.
void SetFormTopmost(QWidget *form, int mode);
