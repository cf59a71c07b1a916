#pragma once

#include <QString>

// The password for a server that asks one when neither ~/.pgpass nor
// PGPASSWORD gave it: the operator types it in a dialog, tried at once, kept
// in memory for the session's later connections.
namespace ServerLogin {

// True when the server at the address takes the login, asked for if need be;
// false when the operator gave up. Any other failure is left to the caller.
bool ensure(const QString &address);
// What a terminal command says when the server wants a password it cannot ask.
QString terminalHint();

} // namespace ServerLogin
