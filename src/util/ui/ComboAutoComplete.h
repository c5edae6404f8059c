#pragma once

class QComboBox;

namespace mUtil
{

// Type-ahead for an editable combo box, called from its key handling with
// the typed character code. May change the code: 0 means the key is
// swallowed. Enter selects the whole entry, Escape and "." empty the box,
// Backspace steps back, any other character completes to the first entry
// that starts with the typed text.
void ComboAutoComplete(QComboBox *combo, int &keyAscii, bool limitToList, bool beep);

} // namespace mUtil
