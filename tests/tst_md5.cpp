#include "feeds/Md5.h"

#include <QtTest>

// The item digest against known MD5 values.
class TestMd5 : public QObject
{
    Q_OBJECT
private slots:
    void digest_data();
    void digest();
    void instanceKeepsNoState();
    void lastCharacterMatters();
};

// A link cut to a length, so that every length around the 56-byte padding
// boundary of one and of two blocks is hashed.
static QString linkOfLength(int length)
{
    return (QStringLiteral("https://example.com/") + QString(200, QLatin1Char('x'))).left(length);
}

void TestMd5::digest_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // The test suite of RFC 1321.
    QTest::newRow("empty") << QString() << "d41d8cd98f00b204e9800998ecf8427e";
    QTest::newRow("a") << "a"
                       << "0cc175b9c0f1b6a831c399e269772661";
    QTest::newRow("abc") << "abc"
                         << "900150983cd24fb0d6963f7d28e17f72";
    QTest::newRow("message digest") << "message digest"
                                    << "f96b697d7cb7938d525a2f31aaf161d0";
    QTest::newRow("alphabet") << "abcdefghijklmnopqrstuvwxyz"
                              << "c3fcd3d76192e4007dfb496cca67e13b";
    QTest::newRow("80 digits") << QString("1234567890").repeated(8) << "57edf4a22be3c955ac49da2e2107b67a";

    const QList<QPair<int, const char *>> lengths = {
        {0, "d41d8cd98f00b204e9800998ecf8427e"},
        {55, "0222b6fd5d1cbd37cff05567fa7b6de4"},
        {56, "8ac5d0eb89f39c99220efe61853457f7"},
        {57, "cfdd8a92ee19f4f664ec653d79bc89a7"},
        {63, "1816b5703af972163243313ab908eedf"},
        {64, "d04d39236e42d7ad2b52d300bb171875"},
        {119, "26765aed5bc04dd4fbd0adf78108b17d"},
        {120, "2b7219fca063500f74d2bc01dbe2d814"},
        {121, "893bddf099ef8b020aca2017c9ca5e69"},
    };
    for (const auto &[length, digest] : lengths)
        QTest::addRow("link of %d", length) << linkOfLength(length) << digest;

    // Characters beyond ASCII are hashed as their UTF-8 bytes.
    QTest::newRow("utf-8") << QString::fromUtf8("café") << "07117fe4a1ebd544965dc19573183da2";
}

void TestMd5::digest()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(clsMD5().GetMD5(text), expected);
}

void TestMd5::instanceKeepsNoState()
{
    const clsMD5 md5;
    const QString first = md5.GetMD5(QStringLiteral("https://example.com/a"));
    md5.GetMD5(linkOfLength(121));
    QCOMPARE(md5.GetMD5(QStringLiteral("https://example.com/a")), first);
}

void TestMd5::lastCharacterMatters()
{
    const clsMD5 md5;
    QVERIFY(md5.GetMD5(QStringLiteral("https://example.com/item1"))
        != md5.GetMD5(QStringLiteral("https://example.com/item2")));
}

QTEST_GUILESS_MAIN(TestMd5)
#include "tst_md5.moc"
