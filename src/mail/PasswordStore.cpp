#include "mail/PasswordStore.h"

#include "config/Settings.h"

#include <qt6keychain/keychain.h>

#include <QPointer>

namespace
{

const QString service = QStringLiteral("Quorvane");
const QString key = QStringLiteral("smtp");

bool keyringEnabled = true;
QString place = QStringLiteral("file");

} // namespace

namespace PasswordStore
{

void setKeyringEnabled(bool enabled)
{
    keyringEnabled = enabled;
}

QString lastPlace()
{
    return place;
}

void loadEmailSettings(QObject *context, std::function<void()> done)
{
    mSettings::LoadEmailSettings();
    if (!mSettings::email().Password.isEmpty() || !keyringEnabled) {
        place = QStringLiteral("file");
        done();
        return;
    }
    auto *job = new QKeychain::ReadPasswordJob(service);
    job->setAutoDelete(true);
    job->setKey(key);
    QObject::connect(
        job, &QKeychain::Job::finished, context, [done = std::move(done)](QKeychain::Job *finished) {
            if (finished->error() == QKeychain::NoError) {
                mSettings::email().Password = static_cast<QKeychain::ReadPasswordJob *>(finished)->textData();
                place = QStringLiteral("keyring");
            } else {
                place = QStringLiteral("file");
            }
            done();
        });
    job->start();
}

void saveEmailSettings(bool showMessage, QObject *context, std::function<void(bool saved)> done)
{
    if (!keyringEnabled) {
        place = QStringLiteral("file");
        done(mSettings::SaveEmailSettings(showMessage));
        return;
    }
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setAutoDelete(true);
    job->setKey(key);
    job->setTextData(mSettings::email().Password);
    QObject::connect(job, &QKeychain::Job::finished, context,
        [showMessage, done = std::move(done)](QKeychain::Job *finished) {
            mSettings::EmailSettings &email = mSettings::email();
            const QString password = email.Password;
            // In the keyring: the file keeps the scrambled empty text.
            const bool inKeyring = finished->error() == QKeychain::NoError;
            if (inKeyring)
                email.Password.clear();
            const bool saved = mSettings::SaveEmailSettings(showMessage);
            email.Password = password;
            place = inKeyring ? QStringLiteral("keyring") : QStringLiteral("file");
            done(saved);
        });
    job->start();
}

} // namespace PasswordStore
