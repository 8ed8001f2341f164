#include "DatePicker.h"

#include <QKeyEvent>
#include <QLocale>

DatePicker::DatePicker(QDate date, QWidget* parent) : QDateEdit(date, parent) {
    setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
    // Left to right, the calendar drops down aligned with the field's left edge.
    setLayoutDirection(Qt::LeftToRight);
    setCalendarPopup(true);
}

bool DatePicker::event(QEvent* event) {
    // Tab leaves the picker as it leaves any other control; Qt's date edit would step through
    // day, month and year first. The arrow keys still move between them.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            const bool forward =
                key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
            QWidget::focusNextPrevChild(forward);
            return true;
        }
    }
    return QDateEdit::event(event);
}
