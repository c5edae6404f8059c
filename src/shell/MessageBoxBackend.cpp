#include "shell/MessageBoxBackend.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace
{

QMessageBox::Icon boxIcon(Messages::Icon icon)
{
    switch (icon) {
    case Messages::Icon::Information:
        return QMessageBox::Information;
    case Messages::Icon::Exclamation:
        return QMessageBox::Warning;
    case Messages::Icon::Question:
        return QMessageBox::Question;
    case Messages::Icon::Critical:
        break;
    }
    return QMessageBox::Critical;
}

QMessageBox::StandardButtons boxButtons(Messages::Buttons buttons)
{
    switch (buttons) {
    case Messages::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Messages::Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case Messages::Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

Messages::Answer answerOf(int result, Messages::Buttons buttons)
{
    switch (result) {
    case QMessageBox::Ok:
        return Messages::Answer::Ok;
    case QMessageBox::Yes:
        return Messages::Answer::Yes;
    case QMessageBox::No:
        return Messages::Answer::No;
    case QMessageBox::Retry:
        return Messages::Answer::Retry;
    case QMessageBox::Cancel:
        return Messages::Answer::Cancel;
    default:
        // The box ended without a button (the program is quitting).
        return Messages::cautiousAnswer(buttons);
    }
}

} // namespace

Messages::Answer MessageBoxBackend::ask(
    Messages::Icon icon, const QString &title, const QString &text, Messages::Buttons buttons)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QPointer<QMessageBox> box
        = new QMessageBox(boxIcon(icon), title, shown, boxButtons(buttons), QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);
    if (buttons == Messages::Buttons::YesNo)
        box->setEscapeButton(QMessageBox::No);
    const int result = box->exec();
    // The owner may have gone while the box waited.
    delete box.data();
    return answerOf(result, buttons);
}
