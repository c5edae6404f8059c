#pragma once

#include <QByteArrayView>
#include <QString>

// The item digest: RFC 1321 MD5 of the UTF-8 bytes of a text, as 32
// lower-case hexadecimal digits.
class clsMD5
{
public:
    QString GetMD5(const QString &text) const;
    // The digest of bytes that are already UTF-8.
    QString GetMD5(QByteArrayView bytes) const;
};
