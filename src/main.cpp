// Program start: the application, the six screens in their order, the message loop.
#include "screens/Main.h"
#include "screens/GameUnit.h"
#include "screens/KeyUnit.h"
#include "screens/NameUnit.h"
#include "screens/Screens.h"
#include "screens/SkillUnit.h"
#include "screens/Unit2.h"
#include "settings/IniFile.h"
#include "ui/Application.h"
#include "widgets/Audio.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int, char**)
{
    try
    {
        ui::Application app(ui::Application::Options{});
        app.SetTitle("Zorbel2");
        OpenAudio();
        Screens screens{app};
        // Created in this order: each creation handler may use the screens created before it.
        TForm1 form1(screens);
        TGameForm gameForm(screens);
        TNameForm nameForm(screens);
        TKeyForm keyForm(screens);
        TSkillForm skillForm(screens);
        TForm2 form2(screens);
        // Controllers known to SDL, plus those of a mapping file beside the settings file.
        app.EnableControllers(
            (std::filesystem::path(ConfigFilePath()).parent_path() / "gamecontrollerdb.txt")
                .string());
        app.Run(form1);
        // Let the last click finish rather than cut it off.
        FinishSound(1000);
        CloseAudio();
        return 0;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "Zorbel2: %s\n", e.what());
        return 1;
    }
}
