// A date-only input in the system's short date format, with a drop-down month calendar.
#pragma once

#include <QDateEdit>

class DatePicker final : public QDateEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DatePicker)

public:
    // The format is the system's short date format when the picker is built.
    DatePicker(QDate date, QWidget* parent);

protected:
    bool event(QEvent* event) override;
};
