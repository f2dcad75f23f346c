#include "runtime/installer/LicensePrint.h"

#include "runtime/installer/InstallerTexts.h"
#include "win32ui/Handle.h"
#include "win32ui/SystemLibrary.h"

#include <commdlg.h>
#include <richedit.h>
#include <winspool.h>

namespace kf {
namespace installer {

namespace {

// A printer DC, its job and the dialog's global memory, released on every path.
struct TPrintJob
{
    PRINTDLGA Dialog = {};
    ~TPrintJob()
    {
        if (Dialog.hDC)
            DeleteDC(Dialog.hDC);
        if (Dialog.hDevMode)
            GlobalFree(Dialog.hDevMode);
        if (Dialog.hDevNames)
            GlobalFree(Dialog.hDevNames);
    }
};

// The Add Printer wizard: kAddPrinterCommand, with Rundll32 named by its System32 path
// (WinExec would search the setup's folder for "Rundll32.exe" first).
void StartAddPrinter()
{
    std::string program = ui::SystemPath("rundll32.exe");
    std::string command = kAddPrinterCommand;
    std::string line = "\"" + program + "\"" + command.substr(command.find(' '));
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process = {};
    std::string directory = ui::SystemPath("");
    if (CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                       &process))
    {
        ui::THandle owned(process.hProcess), thread(process.hThread);
    }
}

} // namespace

bool CheckPrinter(HWND owner)
{
    // winspool.drv is no KnownDLL: loaded from System32, not statically imported.
    using TGetDefaultPrinter = BOOL(WINAPI*)(LPSTR, LPDWORD);
    ui::TSystemLibrary winspool("winspool.drv");
    auto getDefaultPrinter = winspool.Proc<TGetDefaultPrinter>("GetDefaultPrinterA");
    char name[512];
    DWORD size = sizeof(name);
    if (getDefaultPrinter && getDefaultPrinter(name, &size))
        return true;
    if (MessageBoxA(owner, kNoPrinterText, kNoPrinterCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        StartAddPrinter();
    return false;
}

void PrintRichText(HWND owner, HWND richEdit, const std::string& jobTitle)
{
    using TPrintDlg = BOOL(WINAPI*)(LPPRINTDLGA);
    ui::TSystemLibrary comdlg("comdlg32.dll");
    auto printDlg = comdlg.Proc<TPrintDlg>("PrintDlgA");
    TPrintJob job;
    job.Dialog.lStructSize = sizeof(job.Dialog);
    job.Dialog.hwndOwner = owner;
    job.Dialog.Flags = PD_PRINTSETUP | PD_RETURNDC;
    if (!printDlg || !printDlg(&job.Dialog) || !job.Dialog.hDC)
        return;
    HDC printer = job.Dialog.hDC;
    DOCINFOA document = {};
    document.cbSize = sizeof(document);
    document.lpszDocName = jobTitle.c_str();
    if (StartDocA(printer, &document) <= 0)
        return;
    // EM_FORMATRANGE works in twips.
    int dpiX = GetDeviceCaps(printer, LOGPIXELSX), dpiY = GetDeviceCaps(printer, LOGPIXELSY);
    FORMATRANGE range = {};
    range.hdc = range.hdcTarget = printer;
    range.rcPage = {0, 0, MulDiv(GetDeviceCaps(printer, PHYSICALWIDTH), 1440, dpiX),
                    MulDiv(GetDeviceCaps(printer, PHYSICALHEIGHT), 1440, dpiY)};
    range.rc = {720, 720, range.rcPage.right - 720, range.rcPage.bottom - 720};
    LONG length = static_cast<LONG>(SendMessageA(richEdit, WM_GETTEXTLENGTH, 0, 0));
    range.chrg = {0, -1};
    while (range.chrg.cpMin < length)
    {
        if (StartPage(printer) <= 0)
            break;
        range.rc = {720, 720, range.rcPage.right - 720, range.rcPage.bottom - 720};
        LONG next = static_cast<LONG>(SendMessageA(richEdit, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range)));
        EndPage(printer);
        if (next <= range.chrg.cpMin)
            break; // nothing fitted: stop rather than print blank pages forever
        range.chrg.cpMin = next;
    }
    SendMessageA(richEdit, EM_FORMATRANGE, FALSE, 0);
    EndDoc(printer);
}

} // namespace installer
} // namespace kf
