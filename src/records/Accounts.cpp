// The users of the settings file: the look-up by name, registration, and the Argon2id hashes of
// their passwords with the checks a stored hash passes before it is verified.
#include "records/Accounts.h"

#include "records/Records.h"
#include "settings/IniFile.h"
#include "settings/Keys.h"

#include <sodium.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>

namespace records
{

namespace
{

constexpr std::string_view kHashPrefix = "$argon2id$";

// A hash costs its verifier the passes and memory its text names. Up to twice what the game
// itself asks for is taken; a hash asking for more is not the game's, and would hold the login
// for as long as it says, or take the memory it names.
constexpr std::uint64_t kMostPasses = 2 * crypto_pwhash_OPSLIMIT_INTERACTIVE;
constexpr std::uint64_t kMostMemoryKiB = 2 * crypto_pwhash_MEMLIMIT_INTERACTIVE / 1024;
// The sizes crypto_pwhash_str gives a hash's salt and digest, in bytes.
constexpr std::size_t kSaltBytes = crypto_pwhash_SALTBYTES;
constexpr std::size_t kDigestBytes = 32;

struct HashCosts
{
    std::uint64_t memoryKiB = 0;
    std::uint64_t passes = 0;
    std::uint64_t lanes = 0;
};

bool TakePrefix(std::string_view& text, std::string_view prefix)
{
    if (!text.starts_with(prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

// A decimal number of at most ten digits, without sign or leading zero, taken off text's front.
bool TakeNumber(std::string_view& text, std::uint64_t& number)
{
    const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    if (digits == 0 || digits > 10 || (text[0] == '0' && digits > 1))
        return false;
    number = 0;
    for (const char c : text.substr(0, digits))
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    text.remove_prefix(digits);
    return true;
}

// Whether text is exactly the unpadded Base64 of that many bytes.
bool IsBase64Of(std::string_view text, std::size_t bytes)
{
    constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return text.size() == (bytes * 4 + 2) / 3 &&
           text.find_first_not_of(kAlphabet) == std::string_view::npos;
}

// The costs of a stored hash whose text has exactly the shape crypto_pwhash_str gives it:
// "$argon2id$v=19$m=<KiB>,t=<passes>,p=<lanes>$<salt>$<digest>"; nothing for any other text.
std::optional<HashCosts> ReadHashCosts(std::string_view stored)
{
    HashCosts costs;
    if (!TakePrefix(stored, "$argon2id$v=19$m=") || !TakeNumber(stored, costs.memoryKiB) ||
        !TakePrefix(stored, ",t=") || !TakeNumber(stored, costs.passes) ||
        !TakePrefix(stored, ",p=") || !TakeNumber(stored, costs.lanes) || !TakePrefix(stored, "$"))
        return std::nullopt;
    const std::size_t dollar = stored.find('$');
    if (dollar == std::string_view::npos || !IsBase64Of(stored.substr(0, dollar), kSaltBytes) ||
        !IsBase64Of(stored.substr(dollar + 1), kDigestBytes))
        return std::nullopt;
    return costs;
}

void EnsureSodium()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw std::runtime_error("Unable to start the password library");
}

// The typed password checked against user number's stored one; on a match an older plain-text
// password is replaced by its hash, with the count of users mended to last.
Access LogIn(TIniFile& ini, TIniFile::Batch& batch, int number, const std::string& stored,
             std::string_view password, int last)
{
    if (!PasswordMatches(stored, password))
        return Access::WrongPassword;
    // Replacing an older plain-text password by its hash is worth a try, not a failed login:
    // a file that cannot be written now is upgraded at a later login.
    if (!IsPasswordHash(stored))
    {
        try
        {
            settings::Write(ini, settings::kUserPass, settings::kUserPass.Name(number),
                            HashPassword(password));
            if (settings::Read(ini, settings::kUserCount) != last)
                settings::Write(ini, settings::kUserCount, last);
            batch.Commit();
        }
        catch (const EIniFileException&)
        {
        }
    }
    return Access::LoggedIn;
}

} // namespace

Access LogInOrRegister(TIniFile& ini, const std::string& name, std::string_view password)
{
    // A name of spaces alone shows as no name on the menu and in the records: it is none.
    if (name.find_first_not_of(' ') == std::string::npos)
        return Access::NoName;

    // One copy of the file serves the whole look-up, however many users it lists, and the lock
    // is held from it to the write, so no other copy registers a user in between; what is
    // written reaches the file in one replacement, or not at all.
    TIniFile::Batch batch(ini);
    const std::map<int, std::string> names = settings::ReadNumbered(ini, settings::kUserName);
    const std::map<int, std::string> passwords = settings::ReadNumbered(ini, settings::kUserPass);
    // Users are found by their entries, not by the count, which a hand edit may have left low:
    // a registration trusting it would write over a user that lies past it.
    const int last = std::max(names.empty() ? 0 : names.rbegin()->first,
                              passwords.empty() ? 0 : passwords.rbegin()->first);
    for (const auto& [number, known] : names)
    {
        if (known == name)
        {
            const auto found = passwords.find(number);
            return LogIn(ini, batch, number,
                         found != passwords.end() ? found->second : std::string(), password, last);
        }
    }

    // The records take a row of this name as free, so its games would be overwritten.
    if (name == kFreeRowName)
        return Access::ReservedName;
    // Only a hand edit puts an entry at the last number there is.
    if (last == std::numeric_limits<int>::max())
        return Access::NoMoreUsers;

    // Hashed before anything is written, and the three entries written as one replacement, so
    // that no count ever stands in the file without its name and password.
    const int number = last + 1;
    const std::string hash = HashPassword(password);
    settings::Write(ini, settings::kUserCount, number);
    settings::Write(ini, settings::kUserName, settings::kUserName.Name(number), name);
    settings::Write(ini, settings::kUserPass, settings::kUserPass.Name(number), hash);
    batch.Commit();
    return Access::Registered;
}

bool IsPasswordHash(std::string_view stored)
{
    return stored.starts_with(kHashPrefix);
}

std::string HashPassword(std::string_view password)
{
    EnsureSodium();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("Not enough memory to protect the password");
    return hash;
}

bool PasswordMatches(const std::string& stored, std::string_view typed)
{
    if (!IsPasswordHash(stored))
        return stored == typed;
    // Checked before the library sees it, since the library takes its costs from the text.
    const std::optional<HashCosts> costs = ReadHashCosts(stored);
    if (!costs || costs->lanes != 1 || costs->passes > kMostPasses ||
        costs->memoryKiB > kMostMemoryKiB)
        return false;
    EnsureSodium();
    return crypto_pwhash_str_verify(stored.c_str(), typed.data(), typed.size()) == 0;
}

} // namespace records
