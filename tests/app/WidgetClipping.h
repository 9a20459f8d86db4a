// Finds the texts a layout cuts off: longer words (a translation) must widen the dialog, not
// hide their ends. GUI thread.
#pragma once

#include <QStringList>

class QWidget;

// The labels, check boxes, radio buttons and push buttons shown in `window` that are narrower
// than their text needs ("<object name or text>: <width> < <needed>"). A word-wrapped label
// needs the width of its longest word only; one of a fixed width the width of its text.
QStringList ClippedWidgets(const QWidget& window);
