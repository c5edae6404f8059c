#include "util/ui/ComboAutoComplete.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

namespace mUtil
{

namespace
{

int findPrefix(const QComboBox *combo, const QString &search)
{
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).left(search.size()).toLower() == search)
            return i;
    }
    return -1;
}

void clearBox(QComboBox *combo, int &keyAscii)
{
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
    keyAscii = 0;
}

} // namespace

void ComboAutoComplete(QComboBox *combo, int &keyAscii, bool limitToList, bool beep)
{
    QLineEdit *edit = combo ? combo->lineEdit() : nullptr;
    if (!edit) {
        keyAscii = 0;
        if (beep)
            QApplication::beep();
        return;
    }
    const QString typed = edit->text().left(edit->cursorPosition());
    QString search;
    switch (keyAscii) {
    case 13:
        if (combo->currentIndex() >= 0) {
            edit->setSelection(0, combo->currentText().size());
            return;
        }
        break;
    case 27:
    case 46:
        clearBox(combo, keyAscii);
        return;
    case 8:
        if (typed.size() <= 1) {
            clearBox(combo, keyAscii);
            return;
        }
        search = typed.chopped(1).toLower();
        break;
    default:
        search = (typed + QChar(keyAscii)).toLower();
        break;
    }

    const int found = findPrefix(combo, search);
    if (found < 0) {
        if (limitToList) {
            keyAscii = 0;
            if (beep)
                QApplication::beep();
        }
        return;
    }
    const QString entry = combo->itemText(found);
    combo->setCurrentIndex(found);
    combo->setEditText(entry);
    // Caret after the typed text, the untyped rest highlighted.
    edit->setSelection(entry.size(), int(search.size()) - int(entry.size()));
    keyAscii = 0;
}

} // namespace mUtil
