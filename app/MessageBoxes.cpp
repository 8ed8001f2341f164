#include "MessageBoxes.h"

#include "AppTitle.h"

void execMessageBox(QWidget* parent, const MessageBoxRequest& box) {
    QMessageBox dialog(box.icon, box.caption, box.text, QMessageBox::Ok, parent);
    dialog.exec();
}

QString withFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

MessageBoxRequest errorBox(const QString& message) {
    return {QMessageBox::Critical, applicationTitle(), withFullStop(message)};
}
