// Kitforge: the installer builder. One main window, the wizard, until it closes.
#include "builder/Main.h"
#include "resources/EmbeddedStubs.h"
#include "win32ui/Application.h"
#include "win32ui/SystemLibrary.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    kf::ui::RestrictDllSearch();
    kf::ui::TApplication& application = kf::ui::Application();
    try
    {
        application.Initialize();
        application.SetTitle("Kitforge");
        kf::TSystemChooser chooser;
        kf::TMainForm form(chooser, kf::EmbeddedStubs());
        form.Create();
        application.SetMainWindow(form.Handle());
        form.Show();
        return application.Run();
    }
    catch (const std::exception& error)
    {
        application.ShowException(error);
        return 1;
    }
}
