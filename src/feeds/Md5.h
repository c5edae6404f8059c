#pragma once

#include <QString>

// The item digest: RFC 1321 MD5 of the UTF-8 bytes of a text, as 32
// lower-case hexadecimal digits.
class clsMD5
{
public:
    QString GetMD5(const QString &text) const;
};
