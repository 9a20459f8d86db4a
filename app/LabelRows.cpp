#include "LabelRows.h"

#include <QGridLayout>
#include <QLabel>

QLabel* AddValueRow(QGridLayout& grid, QWidget* parent, int row, const QString& caption,
                    const char* name) {
    auto* value = new QLabel(parent);
    value->setObjectName(QString::fromLatin1(name));
    value->setTextFormat(Qt::PlainText);
    grid.addWidget(new QLabel(caption, parent), row, 0);
    grid.addWidget(value, row, 1);
    return value;
}
