#include "util/Utilities.h"

#include "util/AtomicSave.h"
#include "util/MessageKeys.h"
#include "util/Messages.h"
#include "util/UtilityTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkInformation>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <QUuid>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace mUtil
{

QString AddBackslash(const QString &path)
{
    if (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\')))
        return path;
    return path + QLatin1Char('/');
}

bool FileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool FolderExists(const QString &path)
{
    return QFileInfo::exists(path);
}

bool IsBlank(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == QLatin1Char(' '); });
}

bool reportWriteFailure(const QString &path, const QString &error)
{
    Messages::utilityError(75, UtilityTexts::text(Msg::PATHERROR).arg(path, error));
    return false;
}

bool WriteTextFile(const QString &path, const QString &text)
{
    QString error;
    if (saveFileAtomically(path, (text + QStringLiteral("\r\n")).toUtf8(), &error))
        return true;
    return reportWriteFailure(path, error);
}

bool saveTextFile(const QString &path, const QByteArray &bytes, const QString &charset, QString *error)
{
    constexpr qsizetype Piece = 1 << 20;
    QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.toLatin1().constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    const auto write = [&](QIODevice &file) {
        for (qsizetype at = 0; at < bytes.size(); at += Piece) {
            const QByteArray utf8 = QString(
                decoder.decode(QByteArrayView(bytes.constData() + at, qMin(Piece, bytes.size() - at))))
                                        .toUtf8();
            if (file.write(utf8) != utf8.size())
                return false;
        }
        return file.write("\r\n", 2) == 2;
    };
    return saveFileAtomically(path, write, error);
}

bool WriteTextFile(const QString &path, const QByteArray &bytes, const QString &charset)
{
    QString error;
    return saveTextFile(path, bytes, charset, &error) || reportWriteFailure(path, error);
}

QString decodeStoredText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp1252("windows-1252");
    if (cp1252.isValid())
        return cp1252.decode(bytes);
    return QString::fromLatin1(bytes);
}

QString ReadTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Messages::utilityError(53, UtilityTexts::text(Msg::FILENOTFOUND).arg(path));
        return QString();
    }
    return decodeStoredText(file.readAll());
}

void returnFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

namespace
{
std::function<bool()> &connectionProbe()
{
    static std::function<bool()> probe;
    return probe;
}
} // namespace

void setConnectionProbe(std::function<bool()> probe)
{
    connectionProbe() = std::move(probe);
}

bool IsConnected()
{
    if (connectionProbe())
        return connectionProbe()();
    if (QNetworkInformation::instance() || QNetworkInformation::loadDefaultBackend()) {
        const auto *info = QNetworkInformation::instance();
        if (info && info->supports(QNetworkInformation::Feature::Reachability)) {
            const auto state = info->reachability();
            return state != QNetworkInformation::Reachability::Disconnected;
        }
    }
    return true;
}

void ClearUrlCache(const QString &)
{
}

QString NewGUID()
{
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    return isFeedId(id) ? id : QString();
}

bool isFeedId(const QString &text)
{
    static const QRegularExpression shape(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    return shape.match(text).hasMatch();
}

namespace
{
std::function<bool(const QUrl &)> &opener()
{
    static std::function<bool(const QUrl &)> handler = [](const QUrl &url) {
        return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
    };
    return handler;
}
} // namespace

void setShellOpener(std::function<bool(const QUrl &)> handler)
{
    opener() = std::move(handler);
}

QUrl shellTarget(const QString &target)
{
    const QUrl url(target.trimmed());
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("mailto"))
        return url.host().isEmpty() && scheme != QLatin1String("mailto") ? QUrl() : url;
    const QString local = url.isLocalFile() ? url.toLocalFile() : target;
    if ((scheme.isEmpty() || url.isLocalFile()) && QFileInfo::exists(local))
        return QUrl::fromLocalFile(QFileInfo(local).absoluteFilePath());
    return QUrl();
}

bool ShellOpen(const QString &target)
{
    const QUrl url = shellTarget(target);
    return url.isValid() && !url.isEmpty() && opener()(url);
}

namespace
{

// The lower-cased long and short month names of the C and the system locale,
// built once: looking them up for every stored date made long lists slow.
struct MonthNames {
    QString longName[2][12];
    QString shortName[2][12];
};

const MonthNames &monthNames()
{
    static const MonthNames names = [] {
        MonthNames built;
        const QLocale locales[2] = {QLocale::c(), QLocale::system()};
        for (int l = 0; l < 2; ++l) {
            for (int month = 1; month <= 12; ++month) {
                built.longName[l][month - 1] = locales[l].monthName(month, QLocale::LongFormat).toLower();
                built.shortName[l][month - 1] = locales[l].monthName(month, QLocale::ShortFormat).toLower();
            }
        }
        return built;
    }();
    return names;
}

} // namespace

QString MonthNumber(const QString &name)
{
    // Most names are the English abbreviations of feed dates: answer those
    // without building lower-case copies.
    static const QLatin1String english[]
        = {QLatin1String("Jan"), QLatin1String("Feb"), QLatin1String("Mar"), QLatin1String("Apr"),
            QLatin1String("May"), QLatin1String("Jun"), QLatin1String("Jul"), QLatin1String("Aug"),
            QLatin1String("Sep"), QLatin1String("Oct"), QLatin1String("Nov"), QLatin1String("Dec")};
    if (name.size() == 3) {
        for (int month = 1; month <= 12; ++month) {
            if (name.compare(english[month - 1], Qt::CaseInsensitive) == 0)
                return QString::number(month + 100).right(2);
        }
    }
    const QString lower = name.toLower();
    const QString trimmedLower = lower.trimmed();
    const MonthNames &names = monthNames();
    for (int month = 1; month <= 12; ++month) {
        for (int l = 0; l < 2; ++l) {
            if (trimmedLower == names.longName[l][month - 1] || lower == names.shortName[l][month - 1])
                return QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
        }
    }
    return QString();
}

QString MonthAbbreviation(int month)
{
    if (month < 1 || month > 12)
        return QString();
    return QLocale::c().monthName(month, QLocale::ShortFormat);
}

// Codes up to 255 take one group of four digits (code x 7, at most 1785).
// A code above 255 is written as the escape group "9999" followed by two
// groups holding the high and low byte, so any text round-trips and the
// texts the old scheme could store keep their exact form.
namespace
{
const QString escapeGroup = QStringLiteral("9999");

void appendGroup(QString &out, int code)
{
    out += QStringLiteral("%1").arg(code * 7, 4, 10, QLatin1Char('0'));
}
} // namespace

QString ScrambleText(const QString &text, bool encode)
{
    if (IsBlank(text))
        return QString();
    QString reversed = text;
    std::reverse(reversed.begin(), reversed.end());
    QString out;
    if (encode) {
        for (QChar c : reversed) {
            const int code = c.unicode();
            if (code <= 255) {
                appendGroup(out, code);
            } else {
                out += escapeGroup;
                appendGroup(out, code >> 8);
                appendGroup(out, code & 0xFF);
            }
        }
    } else {
        for (int i = 0; i + 4 <= reversed.size(); i += 4) {
            const QStringView group = QStringView(reversed).mid(i, 4);
            if (group == escapeGroup && i + 12 <= reversed.size()) {
                const int high = qRound(QStringView(reversed).mid(i + 4, 4).toInt() / 7.0);
                const int low = qRound(QStringView(reversed).mid(i + 8, 4).toInt() / 7.0);
                out += QChar(char16_t((high << 8) | low));
                i += 8;
            } else {
                out += QChar(char16_t(qRound(group.toInt() / 7.0)));
            }
        }
    }
    std::reverse(out.begin(), out.end());
    return out;
}

} // namespace mUtil
