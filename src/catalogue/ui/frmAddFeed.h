#pragma once

#include "catalogue/FeedCheck.h"
#include "util/FeedRecord.h"

#include <QDialog>
#include <QString>

class Catalogue;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimer;
class QWidget;

// Subscribes to a new feed or changes the name and URL of one: the URL is
// checked first, then name and category are asked for and the feed saved.
// The caller sets iDisplayMode, sCategory (and for an edit sFeedID and
// setFeed()) before every exec(); Accepted means the feed was saved.
class frmAddFeed : public QDialog
{
    Q_OBJECT
public:
    explicit frmAddFeed(Catalogue *catalogue, QWidget *parent = nullptr);

    qint16 iDisplayMode = 0; // 0 = add a new feed, 1 = edit the feed sFeedID
    QString sFeedID;
    // The FeedID of the feed the last accepted showing saved.
    QString savedFeedId() const { return m_savedFeedId; }
    QString sCategory; // the category to preselect, "" for none

    // The name and URL an edit starts from.
    void setFeed(const FeedRecord &feed);

    qint16 TypeOfFeed() const { return m_typeOfFeed; }
    void setTypeOfFeed(qint16 type) { m_typeOfFeed = type; }

    // Replaces the choice among several feeds a web page names (for tests).
    static void setChooser(FeedCheck::Chooser chooser);
    // The check itself, for its time-out.
    FeedCheck *check() const { return m_check; }

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void prepare();
    void fillCategories();
    void onOK();
    void proceed();
    void checked(int type, const QString &title, const QString &url);
    void save();
    bool categoryReady();
    void setBusy(bool busy);
    void setHeightTwips(int twips);

    Catalogue *m_catalogue;
    FeedCheck *m_check;
    QLineEdit *m_url;
    QLineEdit *m_channel;
    QComboBox *m_categories;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QWidget *m_details;
    qint16 m_typeOfFeed = -1;
    QString m_savedFeedId;
};
