// The "caption: value" rows of the progress dialogs (rip, conversion). GUI thread.
#pragma once

class QGridLayout;
class QLabel;
class QString;
class QWidget;

// Adds a row to `grid`: the caption's label, then an empty value label named `name` (plain
// text, so a title is never read as markup), which it returns. Both are children of `parent`.
QLabel* AddValueRow(QGridLayout& grid, QWidget* parent, int row, const QString& caption,
                    const char* name);
