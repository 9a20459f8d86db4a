#include "tests/app/WidgetClipping.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

QStringList ClippedWidgets(const QWidget& window) {
    QStringList clipped;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(w);
        if (!w->isVisible() || !(label || qobject_cast<QCheckBox*>(w) ||
                                 qobject_cast<QRadioButton*>(w) || qobject_cast<QPushButton*>(w)))
            continue;
        const auto* button = qobject_cast<QAbstractButton*>(w);
        const QString text = label ? label->text() : button->text();
        // A width the window fixed itself (the "..." button) needs to hold the text only, not
        // the style's least button width.
        const int needed = w->minimumWidth() == w->maximumWidth()
                               ? w->fontMetrics().horizontalAdvance(QString(text).remove('&'))
                           : label && label->wordWrap() ? w->minimumSizeHint().width()
                                                        : w->sizeHint().width();
        if (w->width() < needed) {
            clipped << QStringLiteral("%1 \"%2\": %3 < %4")
                           .arg(w->objectName(), text)
                           .arg(w->width())
                           .arg(needed);
        }
    }
    return clipped;
}
