#include "builder/Wait.h"

#include "win32ui/Control.h"
#include "win32ui/Font.h"

namespace kf {

namespace {

constexpr int kClientWidth = 395;
constexpr int kClientHeight = 96;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_DLGFRAME;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;

} // namespace

TWaitForm::~TWaitForm() { Destroy(); } // before the fonts and the picture go

void TWaitForm::Create(HWND owner)
{
    RegisterWindowClass("KitforgeWaitForm", GetSysColorBrush(COLOR_BTNFACE));
    FFont = ui::CreatePointFont("MS Sans Serif", 8);
    FBoldFont = ui::CreatePointFont("MS Sans Serif", 8, true);

    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    RECT ownerRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner)
        GetWindowRect(owner, &ownerRect);
    int x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
    int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
    CreateHandle("KitforgeWaitForm", kExStyle, "Please Wait", kStyle, x, y, width, height, owner);

    // The picture sits in a lowered bevel of one pixel around its 131 x 75.
    FWaitPanel = ui::CreateControl(Handle(), "STATIC", "", WS_VISIBLE, WS_EX_STATICEDGE, 12, 9, 133, 77, 0, nullptr);
    FPicture.Attach(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), "WAITIMAGE", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    FWaitImage = ui::CreateControl(FWaitPanel, "STATIC", "", WS_VISIBLE | SS_BITMAP, 0, 0, 0, 131, 75, 0, nullptr);
    if (FPicture)
        SendMessageA(FWaitImage, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FPicture.Get()));
    FWait1Label = ui::CreateControl(Handle(), "STATIC", "Please Wait", WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 0, 156,
                                    28, 228, 16, 0, FBoldFont.Get());
    FWait2Label = ui::CreateControl(Handle(), "STATIC", "Kitforge is packaging your installation.",
                                    WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 0, 156, 52, 228, 16, 0, FFont.Get());
    ShowWindow(Handle(), SW_SHOW);
}

} // namespace kf
