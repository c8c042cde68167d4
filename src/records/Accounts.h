// The users of the settings file: logging in, registering, and the password hashes they keep.
#pragma once

#include <string>
#include <string_view>

class TIniFile;

namespace records
{

// What became of a name and password given to log in.
enum class Access
{
    LoggedIn,      // a user's name with its password
    Registered,    // a name no user had, now a user with that password
    NoName,        // empty or only spaces: nothing is looked up or written
    WrongPassword, // a user's name with another password (or a hash the game cannot have made)
    ReservedName,  // records::kFreeRowName, which marks a free records row
    NoMoreUsers,   // a user stands at the last number there is
};

// Logs name in with password, or registers it when no user has it. Users are found by their
// entries, not by the count of users, which a hand edit may have left wrong; a registration
// takes the number after every entry and mends the count. A login writes only to replace an
// older plain-text password by its hash, and only where the file can be written; a registration
// writes the count, name and hash in one replacement, or throws (EIniFileException) and writes
// nothing.
Access LogInOrRegister(TIniFile& ini, const std::string& name, std::string_view password);

// A salted Argon2id hash of password in the text form that starts with "$argon2id$".
std::string HashPassword(std::string_view password);
// Whether typed is the password stored: a hash is verified, anything else is a password of an
// older file and compared as text. A hash that the game cannot have written (not exactly in the
// form it writes, or asking for more than twice its costs) matches nothing.
bool PasswordMatches(const std::string& stored, std::string_view typed);
// Whether a stored password is a hash made by HashPassword.
bool IsPasswordHash(std::string_view stored);

} // namespace records
