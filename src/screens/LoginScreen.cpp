// TNameForm: the login screen: the two boxes, their keys, and login or registration against the
// users in the settings file.
#include "screens/LoginScreen.h"

#include "screens/FormData.h"
#include "screens/ScreenButton.h"
#include "settings/Keys.h"
#include "ui/Platform.h"

#include <sodium.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>

namespace
{

constexpr ui::Color kActiveOutline = ui::clRed;
constexpr ui::Color kInactiveOutline = ui::clBlue;
constexpr std::string_view kHashPrefix = "$argon2id$";
constexpr const char* kIncorrectPassword = "Incorrect Password!!!";
constexpr const char* kNameReserved = "This name is reserved";
constexpr const char* kNoMoreUsers = "No more users can be registered";
constexpr std::string_view kReservedName = "UNKNOWN";

// A hash costs its verifier the passes and memory its text names. Up to twice what the game
// itself asks for is taken; a hash asking for more is not the game's, and would hold the login
// screen for as long as it says, or take the memory it names.
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

} // namespace

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

TNameForm::TNameForm(Screens& screens, Session& session)
    : Screen(screens, session), Panel1(this), Label2(&Panel1), Shape1(&Panel1), NameLabel(&Panel1),
      Label5(&Panel1), Shape3(&Panel1), PassLabel(&Panel1), Label1(&Panel1), Image1(&Panel1),
      Label3(&Panel1)
{
    Enter(&Screens::NameForm, this);

    const form::Text prompt{16, ui::clYellow};
    const form::Text typed{19, ui::clWhite};
    // What is typed stays in view however long the text grows.
    const form::Item formData[] = {
        form::Panel(Panel1, ui::Bounds(0, 0, 337, 257)),
        form::Label(Label2, 40, 16, "Please type your name", prompt),
        form::Box(Shape1, ui::Bounds(40, 48, 257, 33), kInactiveOutline, true),
        form::Label(NameLabel, 48, 51, "", typed).Size(241, 26).EndInView(),
        form::Label(Label5, 40, 104, "Please type your password", prompt),
        form::Box(Shape3, ui::Bounds(40, 136, 257, 33), kInactiveOutline, true),
        form::Label(PassLabel, 48, 139, "", typed).Size(241, 26).EndInView(),
        form::Label(Label1, 144, 176, kIncorrectPassword, {16, ui::clLime}).Hidden(),
        form::Button(Image1, 40, 216, Bind(this, &TNameForm::Image1Click)),
        form::Label(Label3, 80, 216, "Continue", typed),
    };
    form::Build(formData);

    FormCreate();
}

TNameForm::~TNameForm() = default;

void TNameForm::FormCreate()
{
    SetupPanel(Panel1);
}

void TNameForm::FormShow()
{
    typedName_.clear();
    typedPassword_.clear();
    NameLabel.SetCaption("");
    PassLabel.SetCaption("");
    // A message left from an attempt closed with Esc would greet the next person.
    Label1.SetVisible(false);
    SetNameFieldActive(true);
}

void TNameForm::SetNameFieldActive(bool active)
{
    nameFieldActive_ = active;
    Shape1.SetPenColor(active ? kActiveOutline : kInactiveOutline);
    Shape3.SetPenColor(active ? kInactiveOutline : kActiveOutline);
    NameLabel.SetCaret(active);
    PassLabel.SetCaret(!active);
}

void TNameForm::AppendToName(char c)
{
    if (typedName_.size() >= kMaxTextLength)
        return;
    typedName_ += c;
    NameLabel.SetCaption(typedName_);
}

void TNameForm::AppendToPassword(char c)
{
    if (typedPassword_.size() >= kMaxTextLength)
        return;
    typedPassword_ += c;
    PassLabel.SetCaption(PassLabel.Caption() + "x");
}

void TNameForm::ShowLetters()
{
    Letters.SetVisible(true);
    Panel1.SetBounds(Panel1.Left(), Panel1.Top(), Panel1.Width(),
                     Panel1.Height() + LetterGrid::kHeight);
    CenterPanel(Panel1);
}

void TNameForm::FormKeyDown(ui::Form&, int& key)
{
    if (App().KeyFromController())
    {
        if (!Letters.Visible())
        {
            ShowLetters();
            return;
        }
        if (Letters.Take(key))
            return;
    }
    const bool letter = key >= 'A' && key <= 'Z';
    const bool digit = key >= '0' && key <= '9';

    if (key == ui::vk::Up || key == ui::vk::Down)
        SetNameFieldActive(!nameFieldActive_);

    if (nameFieldActive_)
    {
        if (letter || digit)
            AppendToName(static_cast<char>(key));
        else if (key == ui::vk::Back && !typedName_.empty())
        {
            typedName_.pop_back();
            NameLabel.SetCaption(typedName_);
        }
        else if (key == ui::vk::Space)
            AppendToName(' ');
    }
    else
    {
        if (letter || digit)
            AppendToPassword(static_cast<char>(key));
        else if (key == ui::vk::Back)
        {
            Label1.SetVisible(false);
            if (!typedPassword_.empty())
            {
                typedPassword_.pop_back();
                std::string shown = PassLabel.Caption();
                shown.pop_back();
                PassLabel.SetCaption(shown);
            }
        }
        else if (key == ui::vk::Space)
            AppendToPassword(' ');
    }

    if (key == ui::vk::Return)
    {
        if (nameFieldActive_)
            SetNameFieldActive(false);
        else
            Image1Click();
    }
    if (key == ui::vk::Escape)
        Close();
}

void TNameForm::Image1Click()
{
    // A name of spaces alone shows as no name on the menu and in the records: it is none.
    if (typedName_.find_first_not_of(' ') == std::string::npos)
    {
        Close();
        return;
    }
    TIniFile& ini = session_.Ini;

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
    for (const auto& [number, name] : names)
    {
        if (name == typedName_)
        {
            const auto found = passwords.find(number);
            LogInAs(batch, number, found != passwords.end() ? found->second : std::string(), last);
            return;
        }
    }

    // The records take a slot of this name as free, so its games would be overwritten.
    if (typedName_ == kReservedName)
    {
        ShowMessageLabel(kNameReserved);
        return;
    }
    // Only a hand edit puts an entry at the last number there is.
    if (last == std::numeric_limits<int>::max())
    {
        ShowMessageLabel(kNoMoreUsers);
        return;
    }
    Register(batch, last + 1);
}

void TNameForm::LogInAs(TIniFile::Batch& batch, int number, const std::string& stored, int last)
{
    if (!PasswordMatches(stored, typedPassword_))
    {
        ShowMessageLabel(kIncorrectPassword);
        return;
    }
    Label1.SetVisible(false);
    // Replacing an older plain-text password by its hash is worth a try, not a failed login:
    // a file that cannot be written now is upgraded at a later login.
    if (!IsPasswordHash(stored))
    {
        try
        {
            TIniFile& ini = session_.Ini;
            settings::Write(ini, settings::kUserPass, settings::kUserPass.Name(number),
                            HashPassword(typedPassword_));
            if (settings::Read(ini, settings::kUserCount) != last)
                settings::Write(ini, settings::kUserCount, last);
            batch.Commit();
        }
        catch (const EIniFileException&)
        {
        }
    }
    session_.UserName = typedName_;
    Close();
}

void TNameForm::Register(TIniFile::Batch& batch, int number)
{
    // Hashed before anything is written, and the three entries written as one replacement, so
    // that no count ever stands in the file without its name and password. Only a user that
    // reached the file is logged in.
    const std::string hash = HashPassword(typedPassword_);
    TIniFile& ini = session_.Ini;
    settings::Write(ini, settings::kUserCount, number);
    settings::Write(ini, settings::kUserName, settings::kUserName.Name(number), typedName_);
    settings::Write(ini, settings::kUserPass, settings::kUserPass.Name(number), hash);
    batch.Commit();
    session_.UserName = typedName_;
    Close();
}

void TNameForm::ShowMessageLabel(const char* text)
{
    Label1.SetCaption(text);
    Label1.SetVisible(true);
}
