#pragma once

#include "feeds/FeedDownload.h"

#include <QObject>
#include <QString>
#include <QUrl>

// Fetches a newer Localization.txt from the language service and stores it
// in the application folder. A download that fails, or that brings no
// "<TRANSLATION_ITEMS>", leaves the file as it was and says why.
class LanguageUpdate : public QObject
{
    Q_OBJECT
public:
    explicit LanguageUpdate(QObject *parent = nullptr);
    ~LanguageUpdate() override;

    // The service's address of the file: the per-user setting
    // "Settings/LanguageService", by default under the product's web address.
    static QString serviceAddress();

    void start(const QString &url = serviceAddress());
    bool running() const;
    void setTimeout(int ms);

signals:
    // problem is empty when the new file is stored.
    void finished(const QString &problem);

private:
    void onDone(FeedDownload::Outcome outcome);
    void end(const QString &problem);

    FeedDownload *m_download;
};
