#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The "email" settings group with its password kept out of AppCfg.cfg where
// the desktop runs a keyring (Secret Service): there the file keeps the
// scrambled empty text for "pw". Without a keyring the password is kept
// scrambled in the file, and a password already in the file is still read.
// Nothing here waits: the keyring is asked by D-Bus and the answer comes
// back on the caller's thread, to a callback dropped when context is gone.
namespace PasswordStore
{

// Loads the group into mSettings::email(), the password from the keyring
// when the file keeps none. done() follows, possibly before this returns.
void loadEmailSettings(QObject *context, std::function<void()> done);

// Saves mSettings::email(): the password into the keyring where one
// answers, otherwise into the file; then the group with SaveEmailSettings
// (with its "Done!" box when showMessage). done(saved) follows.
void saveEmailSettings(bool showMessage, QObject *context, std::function<void(bool saved)> done);

// Where the last load or save found the password: "keyring" or "file".
QString lastPlace();

// Tests and the command line may rule the keyring out (no D-Bus session,
// or one that must not be touched): everything then stays in the file.
void setKeyringEnabled(bool enabled);

} // namespace PasswordStore
