// The accounts through the settings file: registration and login, older plain-text passwords,
// names that differ in spaces, the reserved name, damaged user counts, hashes the game cannot
// have made, and a full disk.
#include "records/Accounts.h"

#include "records/Records.h"
#include "settings/IniFile.h"
#ifndef _WIN32
#include "support/FileSizeLimit.h"
#endif
#include "support/TempConfig.h"

#include <sodium.h>

#include <optional>
#include <string>
#include <utility>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace
{

using records::Access;
using records::HashPassword;
using records::PasswordMatches;
using testsupport::TempConfig;

class AccountsTest : public ::testing::Test
{
protected:
    Access LogIn(const std::string& name, const std::string& password)
    {
        return records::LogInOrRegister(ini, name, password);
    }
    std::string Stored(const char* section, const std::string& key) const
    {
        return ini.ReadString(section, key, "<missing>");
    }

    TempConfig config;
    TIniFile ini{ConfigFilePath()};
};

TEST_F(AccountsTest, OlderPlainTextPasswordIsAcceptedOnceAndReplacedByItsHash)
{
    ini.WriteInteger("Main", "Usr_num", 2);
    ini.WriteString("User_Names", "name1", "BOB");
    ini.WriteString("User_Pass", "pass1", "SECRET");
    ini.WriteString("User_Names", "name2", "ANNA");
    ini.WriteString("User_Pass", "pass2", "12");
    ini.WriteInteger("Keys", "LeftKey", 65);

    EXPECT_EQ(LogIn("ANNA", "12"), Access::LoggedIn);
    const std::string pass = Stored("User_Pass", "pass2");
    EXPECT_TRUE(pass.starts_with("$argon2id$")) << pass;
    EXPECT_TRUE(PasswordMatches(pass, "12"));
    EXPECT_EQ(Stored("User_Pass", "pass1"), "SECRET") << "other users are left alone";
    EXPECT_EQ(Stored("Main", "Usr_Num"), "2");
    EXPECT_EQ(Stored("Keys", "LeftKey"), "65");

    // The upgraded entry still logs in, and a damaged one no longer does.
    EXPECT_EQ(LogIn("ANNA", "12"), Access::LoggedIn);
    ini.WriteString("User_Pass", "pass2", pass.substr(0, pass.size() - 2) + "AA");
    EXPECT_EQ(LogIn("ANNA", "12"), Access::WrongPassword) << "a damaged hash matches nothing";
}

TEST_F(AccountsTest, NamesWithSpacesOrALeadingDigitRegisterAndLogInAgain)
{
    EXPECT_EQ(LogIn("JOHN SMITH", "1"), Access::Registered);
    EXPECT_EQ(LogIn("2FAST", ""), Access::Registered);
    EXPECT_EQ(Stored("User_Names", "name1"), "JOHN SMITH");
    EXPECT_EQ(Stored("User_Names", "name2"), "2FAST");
    EXPECT_EQ(Stored("Main", "Usr_num"), "2");

    EXPECT_EQ(LogIn("JOHN SMITH", "1"), Access::LoggedIn);
    EXPECT_EQ(Stored("Main", "Usr_num"), "2") << "a known name is not registered again";
}

// Names differing only in spaces at their ends are different users, down to their records;
// in the records a name of spaces only (an older file's) is a player like any other.
TEST_F(AccountsTest, NamesReadBackWithTheirSpacesAsSeparateUsers)
{
    for (const std::string name : {" BOB", "BOB ", "BOB"})
        EXPECT_EQ(LogIn(name, name == "BOB" ? "3" : "1"), Access::Registered);
    EXPECT_EQ(Stored("Main", "Usr_num"), "3");
    EXPECT_NE(TempConfig::FileText().find("name1=\" BOB\"\n"), std::string::npos);
    EXPECT_EQ(LogIn("BOB", "1"), Access::WrongPassword) << "BOB is not \" BOB\"";
    EXPECT_EQ(LogIn(" BOB", "1"), Access::LoggedIn);

    for (const auto& [name, score] : {std::pair{" BOB", 5}, {"BOB", 9}, {"   ", 1}, {"ANNA", 2}})
        records::RecordGame(ini, 3, name, score);
    EXPECT_EQ(Stored("HiNames", "name32"), " BOB");
    EXPECT_EQ(Stored("HiNames", "name34"), "   ") << "not taken as a free slot";
}

// "UNKNOWN" marks a free records slot: it cannot be registered, but an older user logs in. A
// hand-edited count is bounded: negative is nobody, a huge one neither hangs nor overflows.
TEST_F(AccountsTest, UnknownIsReservedAndUserCountsAreBounded)
{
    EXPECT_EQ(LogIn("UNKNOWN", "1"), Access::ReservedName);
    EXPECT_FALSE(TempConfig::FileExists());

    ini.WriteInteger("Main", "Usr_Num", -5);
    EXPECT_EQ(LogIn("ANNA", "1"), Access::Registered);
    EXPECT_EQ(Stored("Main", "Usr_Num"), "1");
    ini.WriteString("User_Names", "name1", "UNKNOWN");
    EXPECT_EQ(LogIn("UNKNOWN", "1"), Access::LoggedIn);

    ini.WriteInteger("Main", "Usr_Num", 2147483647);
    EXPECT_EQ(LogIn("BOB", "1"), Access::Registered);
    EXPECT_EQ(Stored("User_Names", "name2"), "BOB");
    EXPECT_EQ(Stored("Main", "Usr_Num"), "2");

    // No user can follow one at the last number there is.
    ini.WriteString("User_Pass", "pass2147483647", "1");
    const std::string before = TempConfig::FileText();
    EXPECT_EQ(LogIn("CARL", "1"), Access::NoMoreUsers);
    EXPECT_EQ(TempConfig::FileText(), before);
}

// However the count was damaged (missing, junk, negative, too low), a user past it is found and
// keeps its password, and a new user takes the number after every name or password entry,
// in any letter case. The count is mended by the registration.
TEST_F(AccountsTest, ADamagedUserCountNeverHandsOverAnAccount)
{
    const std::string anna = HashPassword("A");
    const std::string bob = HashPassword("B");
    for (const std::string count : {"", "Usr_Num=junk\n", "Usr_Num=-4\n", "Usr_Num=1\n"})
    {
        SCOPED_TRACE(count);
        TempConfig::WriteIni("[Main]\n" + count + "[User_Names]\nname1=ANNA\nNAME2=BOB\n" +
                             "[User_Pass]\npass1=" + anna + "\npass2=" + bob + "\nPASS4=\n");
        EXPECT_EQ(LogIn("BOB", "X"), Access::WrongPassword);
        EXPECT_EQ(LogIn("BOB", "B"), Access::LoggedIn);

        EXPECT_EQ(LogIn("CARL", "C"), Access::Registered);
        EXPECT_EQ(Stored("User_Pass", "pass2"), bob);
        EXPECT_EQ(Stored("User_Names", "name5"), "CARL");
        EXPECT_EQ(Stored("Main", "Usr_Num"), "5");
    }
}

// Verifying costs what the stored hash names: a hash asking for more than the game's own costs,
// or not exactly in the form the game writes, is a password that cannot be read, and the login
// answers at once as it answers a wrong one.
TEST_F(AccountsTest, OnlyHashesWithinTheGamesOwnCostsAreVerified)
{
    const auto hashed = [](unsigned long long passes, std::size_t memory)
    {
        std::string hash(crypto_pwhash_STRBYTES, '\0');
        EXPECT_EQ(crypto_pwhash_str(hash.data(), "12", 2, passes, memory), 0);
        return std::string(hash.c_str());
    };
    const std::string own = HashPassword("12");
    const std::size_t memory = crypto_pwhash_MEMLIMIT_INTERACTIVE;
    ASSERT_FALSE(PasswordMatches(hashed(3 * crypto_pwhash_OPSLIMIT_INTERACTIVE, memory), "12"));
    ASSERT_FALSE(PasswordMatches(hashed(1, 2 * memory + 8192), "12"));
    const std::string header = "$argon2id$v=19$m=65536,t=2,p=1$";
    ASSERT_TRUE(own.starts_with(header)) << own;
    const std::string tail = own.substr(header.size());
    for (const std::string& damaged :
         {"m=65536,t=4294967295,p=1$" + tail, "m=4294967295,t=2,p=1$" + tail,
          "m=65536,t=2,p=2$" + tail, "m=065536,t=2,p=1$" + tail, "m=65536,t=+2,p=1$" + tail,
          "m=65536,t=2,p=1$" + tail + "A", "m=65536,t=2,p=1$$" + tail})
        EXPECT_FALSE(PasswordMatches("$argon2id$v=19$" + damaged, "12")) << damaged;

    ini.WriteString("User_Names", "name1", "ANNA");
    ini.WriteString("User_Pass", "pass1", "$argon2id$v=19$m=65536,t=4294967295,p=1$" + tail);
    EXPECT_EQ(LogIn("ANNA", "12"), Access::WrongPassword);
}

#ifndef _WIN32 // the full disk is a POSIX file-size limit
// A full disk: an older password still logs in (its upgrade waits for a later login), a
// registration throws the message and writes nothing.
TEST_F(AccountsTest, LoginNeedsNoWriteAndRegistrationWritesAllOrNothing)
{
    ini.WriteInteger("Main", "Usr_Num", 1);
    ini.WriteString("User_Names", "name1", "ANNA");
    ini.WriteString("User_Pass", "pass1", "12");
    const std::string before = TempConfig::FileText();
    std::optional<testsupport::FileSizeLimit> full(std::in_place, before.size());
    EXPECT_EQ(LogIn("ANNA", "12"), Access::LoggedIn);
    EXPECT_THAT([&] { LogIn("BOB", "1"); }, testing::ThrowsMessage<EIniFileException>(
                                                testing::StrEq("Unable to write to Zorbel2.ini")));
    full.reset();
    EXPECT_EQ(TempConfig::FileText(), before);
    EXPECT_EQ(LogIn("ANNA", "12"), Access::LoggedIn);
    EXPECT_TRUE(Stored("User_Pass", "pass1").starts_with("$argon2id$"));
}
#endif

} // namespace
