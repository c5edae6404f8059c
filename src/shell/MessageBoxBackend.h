#pragma once

#include "util/Messages.h"

// Shows the program's messages as message boxes over the active window.
class MessageBoxBackend : public Messages::Backend
{
public:
    Messages::Answer ask(
        Messages::Icon icon, const QString &title, const QString &text, Messages::Buttons buttons) override;
};
