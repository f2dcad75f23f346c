#include "runtime/installer/DirectorySelectForm.h"

#include "platform/FileSystem.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/UninstallLog.h"
#include "win32ui/Control.h"
#include "win32ui/MessageLoop.h"

namespace kf {
namespace installer {

namespace {

constexpr const char* kDialogClass = "KitforgeSelectDirectory";
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 330;

enum : int
{
    kIdDrives = 2000,
    kIdFolders,
    kIdPath,
    kIdOK = IDOK,         // Enter in IsDialogMessage
    kIdCancel = IDCANCEL, // Esc in IsDialogMessage
};

std::string UpperDrive(std::string path)
{
    if (!path.empty() && path[0] >= 'a' && path[0] <= 'z')
        path[0] = static_cast<char>(path[0] - 'a' + 'A');
    return path;
}

} // namespace

bool TDirectorySelect::Execute(HWND owner, const std::string& path, HFONT font)
{
    CreateControls(owner, font);
    SetPath(path);
    EnableWindow(owner, FALSE);
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetFocus(DirectoryListBox);
    ui::RunModal(FDone);
    // The owner comes back before this window goes, so the activation returns to it.
    EnableWindow(owner, TRUE);
    Destroy();
    SetActiveWindow(owner);
    return FOk;
}

void TDirectorySelect::CreateControls(HWND owner, HFONT font)
{
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT area;
    GetWindowRect(owner, &area);
    RegisterWindowClass(kDialogClass, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(kDialogClass, exStyle, kSelectDirCaption, style, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, owner);
    DriveComboBox = ui::CreateControl(Handle(), "COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                      0, 12, 12, 296, 200, kIdDrives, font);
    DirectoryListBox = ui::CreateControl(Handle(), "LISTBOX", "",
                                         WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                         WS_EX_CLIENTEDGE, 12, 44, 296, 210, kIdFolders, font);
    edtPath = ui::CreateControl(Handle(), "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 12,
                                262, 296, 22, kIdPath, font);
    btnOK = ui::CreateControl(Handle(), "BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 142, 296, 80, 25,
                              kIdOK, font);
    btnCancel = ui::CreateControl(Handle(), "BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 228, 296,
                                  80, 25, kIdCancel, font);
    FillDrives();
}

void TDirectorySelect::FillDrives()
{
    char drives[256] = {};
    DWORD length = GetLogicalDriveStringsA(sizeof(drives) - 1, drives);
    if (length == 0 || length >= sizeof(drives))
        return;
    for (const char* drive = drives; *drive; drive += lstrlenA(drive) + 1)
    {
        std::string name(drive, 2); // "C:"
        SendMessageA(DriveComboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(UpperDrive(name).c_str()));
    }
}

void TDirectorySelect::SetPath(const std::string& path)
{
    FChosenPath = path;
    SetWindowTextA(edtPath, path.c_str());
    std::string folder = BrowseStartFolder(path, FSystem);
    if (folder.empty())
    {
        // No existing ancestor (a relative location, a missing drive): the system drive.
        char windows[MAX_PATH] = {};
        UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
        folder = length >= 3 ? std::string(windows, 3) : std::string("C:\\");
    }
    OpenFolder(folder);
}

void TDirectorySelect::OpenFolder(const std::string& folder)
{
    FFolder = UpperDrive(AddBackslash(folder));
    FPaths.clear();
    SendMessageA(DirectoryListBox, LB_RESETCONTENT, 0, 0);
    // The ancestors from the drive root down to the open folder, indented by depth...
    std::vector<std::string> chain;
    for (std::string level = FFolder; !level.empty(); level = ParentDir(level))
        chain.insert(chain.begin(), AddBackslash(level));
    std::string indent;
    for (const std::string& level : chain)
    {
        std::string name = level == chain.front() ? level : level.substr(0, level.size() - 1);
        size_t cut = name.find_last_of('\\', name.size() >= 2 ? name.size() - 2 : 0);
        if (level != chain.front() && cut != std::string::npos)
            name = name.substr(cut + 1);
        SendMessageA(DirectoryListBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((indent + name).c_str()));
        FPaths.push_back(level);
        indent += "   ";
    }
    int open = static_cast<int>(FPaths.size()) - 1;
    // ...then its subfolders.
    for (const TDirEntry& entry : ListDirectory(FFolder))
    {
        if (!(entry.Attributes & kAttrDirectory) || entry.Name == "." || entry.Name == "..")
            continue;
        SendMessageA(DirectoryListBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((indent + entry.Name).c_str()));
        FPaths.push_back(FFolder + entry.Name + "\\");
    }
    SendMessageA(DirectoryListBox, LB_SETCURSEL, static_cast<WPARAM>(open), 0);
    std::string drive = FFolder.substr(0, 2);
    SendMessageA(DriveComboBox, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive.c_str()));
}

void TDirectorySelect::DirectoryListBoxChange()
{
    LRESULT index = SendMessageA(DirectoryListBox, LB_GETCURSEL, 0, 0);
    if (index < 0 || index >= static_cast<LRESULT>(FPaths.size()))
        return;
    std::string folder = FPaths[static_cast<size_t>(index)];
    OpenFolder(folder);
    FChosenPath = FFolder;
    SetWindowTextA(edtPath, FChosenPath.c_str());
}

void TDirectorySelect::DriveComboBoxChange()
{
    LRESULT index = SendMessageA(DriveComboBox, CB_GETCURSEL, 0, 0);
    if (index < 0)
        return;
    char drive[8] = {};
    if (SendMessageA(DriveComboBox, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) >= 7)
        return;
    SendMessageA(DriveComboBox, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(drive));
    OpenFolder(std::string(drive) + "\\");
    FChosenPath = FFolder;
    SetWindowTextA(edtPath, FChosenPath.c_str());
}

void TDirectorySelect::btnOKClick()
{
    FChosenPath = TrimText(ui::WindowText(edtPath));
    if (FChosenPath.empty())
    {
        MessageBoxA(Handle(), kNoDirectoryText, kNoDirectoryCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (Attempt([this] { FSystem.FileSystem().MakeDirectories(FChosenPath); }) != 0 || !FSystem.DirectoryExists(FChosenPath))
    {
        MessageBoxA(Handle(), kCannotCreateText, kCannotCreateCaption, MB_OK | MB_ICONINFORMATION);
        return;
    }
    EndDialog(true);
}

void TDirectorySelect::btnCancelClick() { EndDialog(false); }

void TDirectorySelect::EndDialog(bool ok)
{
    FOk = ok;
    FDone = true;
    PostMessageA(Handle(), WM_NULL, 0, 0); // wakes the dialog's loop
}

LRESULT TDirectorySelect::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case kIdOK:
            if (HIWORD(wParam) == BN_CLICKED)
                btnOKClick();
            return 0;
        case kIdCancel:
            if (HIWORD(wParam) == BN_CLICKED)
                btnCancelClick();
            return 0;
        case kIdFolders:
            if (HIWORD(wParam) == LBN_DBLCLK)
                DirectoryListBoxChange();
            return 0;
        case kIdDrives:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                DriveComboBoxChange();
            return 0;
        }
        break;
    case WM_CLOSE:
        EndDialog(false);
        return 0;
    }
    return Default(message, wParam, lParam);
}

} // namespace installer
} // namespace kf
