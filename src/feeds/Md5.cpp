#include "feeds/Md5.h"

#include <QCryptographicHash>
#include <QStringEncoder>
#include <QVarLengthArray>

QString clsMD5::GetMD5(QByteArrayView bytes) const
{
    // A digest per entry of a large feed: one hasher per thread, so that a
    // call costs no allocation beyond its result.
    thread_local QCryptographicHash hasher(QCryptographicHash::Md5);
    hasher.reset();
    hasher.addData(bytes);
    const QByteArrayView digest = hasher.resultView();
    static const char digits[] = "0123456789abcdef";
    QString hex(digest.size() * 2, Qt::Uninitialized);
    QChar *out = hex.data();
    for (const char byte : digest) {
        *out++ = QLatin1Char(digits[(uchar(byte) >> 4) & 0xF]);
        *out++ = QLatin1Char(digits[uchar(byte) & 0xF]);
    }
    return hex;
}

QString clsMD5::GetMD5(const QString &text) const
{
    // The bytes on the stack.
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    QVarLengthArray<char, 512> bytes(toUtf8.requiredSpace(text.size()));
    const char *end = toUtf8.appendToBuffer(bytes.data(), text);
    return GetMD5(QByteArrayView(bytes.data(), end - bytes.data()));
}
