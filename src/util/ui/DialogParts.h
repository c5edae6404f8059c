#pragma once

#include <QHBoxLayout>
#include <QPushButton>

// Pieces every dialog builds the same way.
namespace DialogParts
{

// A push button with its control name.
inline QPushButton *namedButton(const QString &name, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

// The row of a dialog's closing buttons, right-aligned.
inline QHBoxLayout *buttonRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *button : buttons)
        row->addWidget(button);
    return row;
}

} // namespace DialogParts
