#pragma once

#include <QDialog>

class LanguageUpdate;
class QComboBox;
class QPushButton;

// Lets the user choose the program's language, fetch a newer language file
// from the language service, and open the file to translate the program.
class frmLanguage : public QDialog
{
    Q_OBJECT
public:
    // mainWindow takes a chosen language at once, with this dialog.
    explicit frmLanguage(QWidget *mainWindow, QWidget *parent = nullptr);

    // The languages of Localization.txt, the stored one shown.
    void FillLanguageList();
    // Applies the language of the list's entry index (-1: none chosen, which
    // changes nothing).
    void chooseLanguage(int index);
    LanguageUpdate *update() const { return m_update; }

signals:
    // A language was applied to the main window and this dialog.
    void languageChanged(const QString &language);

private:
    void checkForUpdates();
    void onUpdated(const QString &problem);
    void translate();

    QWidget *m_mainWindow;
    QComboBox *m_list;
    QPushButton *m_check;
    LanguageUpdate *m_update;
};

// The stored language ("Settings/Language" of the per-user settings).
QString storedLanguage(const QString &fallback = QStringLiteral("English"));
void storeLanguage(const QString &language);
