#pragma once

#include <QDialog>
#include <QString>

class Catalogue;
class QLineEdit;
class QPushButton;

// Adds a category to the catalogue, or renames one. The caller sets Mode
// (and for an edit CategoryName) before every showing.
class frmCategory : public QDialog
{
    Q_OBJECT
public:
    explicit frmCategory(Catalogue *catalogue, QWidget *parent = nullptr);

    qint16 Mode = 0; // 0 = add a category, 1 = edit the category CategoryName
    QString CategoryName;

    // The name in the box: after an accepted showing, the category's name.
    QString chosenName() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Fills the dialog for its mode; runs at every showing.
    void prepare();
    void save();
    bool nameGiven();
    void backToName();

    Catalogue *m_catalogue;
    QLineEdit *m_name;
    QPushButton *m_ok;
    // The name before editing.
    QString m_tag;
};
