// The program's message boxes: what each one shows, and the one function that shows them.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

struct MessageBoxRequest {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
};

// Shows a box and returns when the user has closed it. The window takes one as a dependency, so
// tests can record the boxes instead of blocking on a modal dialog.
using MessageBoxPresenter = std::function<void(QWidget* parent, const MessageBoxRequest& box)>;

// The system's modal message box with a single OK button.
void execMessageBox(QWidget* parent, const MessageBoxRequest& box);

// The message with a full stop added when the code of its last character is above that of the
// full stop: after a letter, a digit, a colon or a question mark, but not after ".", ")", ",",
// "!" or a blank. An empty message stays empty: a lone full stop would tell the user nothing.
QString withFullStop(const QString& message);

// The error box for a failure that left a handler: a stop icon, the application title as
// caption and the failure's message with its full stop.
MessageBoxRequest errorBox(const QString& message);
