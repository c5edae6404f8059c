#include "util/BackgroundWrite.h"

#include "util/Messages.h"
#include "util/Utilities.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace
{

QThreadPool &writer()
{
    static QThreadPool *pool = [] {
        auto *made = new QThreadPool;
        made->setMaxThreadCount(1); // one at a time, in order
        made->setExpiryTimeout(-1);
        qAddPostRoutine(BackgroundWrite::wait);
        return made;
    }();
    return *pool;
}

} // namespace

namespace BackgroundWrite
{

void textFile(const QString &path, const QByteArray &bytes, const QString &charset)
{
    writer().start([path, bytes, charset] {
        QString error;
        if (mUtil::saveTextFile(path, bytes, charset, &error))
            return;
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [path, error] { mUtil::reportWriteFailure(path, error); });
    });
}

void wait()
{
    writer().waitForDone();
}

} // namespace BackgroundWrite
