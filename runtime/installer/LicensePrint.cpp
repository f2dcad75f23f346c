#include "runtime/installer/LicensePrint.h"

#include "runtime/installer/InstallerTexts.h"

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

} // namespace

bool CheckPrinter(HWND owner)
{
    char name[512];
    DWORD size = sizeof(name);
    if (GetDefaultPrinterA(name, &size))
        return true;
    if (MessageBoxA(owner, kNoPrinterText, kNoPrinterCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        WinExec(kAddPrinterCommand, SW_SHOW);
    return false;
}

void PrintRichText(HWND owner, HWND richEdit, const std::string& jobTitle)
{
    TPrintJob job;
    job.Dialog.lStructSize = sizeof(job.Dialog);
    job.Dialog.hwndOwner = owner;
    job.Dialog.Flags = PD_PRINTSETUP | PD_RETURNDC;
    if (!PrintDlgA(&job.Dialog) || !job.Dialog.hDC)
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
