#include "win32ui/ShellLaunch.h"

#include "win32ui/Com.h"

#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

namespace kf::ui {

namespace {

// A BSTR variant of ANSI text, freed with the object.
class TTextVariant
{
public:
    explicit TTextVariant(const std::string& text)
    {
        VariantInit(&FValue);
        int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        FValue.vt = VT_BSTR;
        FValue.bstrVal = SysAllocStringLen(nullptr, static_cast<UINT>(length));
        if (FValue.bstrVal && length > 0)
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), FValue.bstrVal, length);
    }
    ~TTextVariant() { VariantClear(&FValue); }
    TTextVariant(const TTextVariant&) = delete;
    TTextVariant& operator=(const TTextVariant&) = delete;
    const VARIANT& Get() const { return FValue; }
    bool Valid() const { return FValue.bstrVal != nullptr; }

private:
    VARIANT FValue;
};

VARIANT IntegerVariant(LONG value)
{
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = value;
    return variant;
}

} // namespace

bool OpenAsShellUser(const std::string& file, const std::string& directory)
{
    TComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.ReceiveVoid())))
        return false;
    VARIANT location = IntegerVariant(CSIDL_DESKTOP), root;
    VariantInit(&root);
    long hwnd = 0;
    TComPtr<IDispatch> desktop;
    // S_FALSE: no desktop window.
    if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, desktop.Receive()) != S_OK ||
        !desktop)
        return false;
    TComPtr<IServiceProvider> services;
    TComPtr<IShellBrowser> browser;
    TComPtr<IShellView> view;
    TComPtr<IDispatch> background;
    TComPtr<IShellFolderViewDual> folderView;
    TComPtr<IDispatch> application;
    TComPtr<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.ReceiveVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.ReceiveVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Receive())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.ReceiveVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.ReceiveVoid())) ||
        FAILED(folderView->get_Application(application.Receive())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.ReceiveVoid())))
        return false;
    TTextVariant path(file), folder(directory), verb("open");
    if (!path.Valid() || !folder.Valid() || !verb.Valid())
        return false;
    VARIANT arguments, show = IntegerVariant(SW_SHOWNORMAL);
    VariantInit(&arguments);
    return SUCCEEDED(shell->ShellExecute(path.Get().bstrVal, arguments, folder.Get(), verb.Get(), show));
}

void OpenForUser(const std::string& file, const std::string& directory)
{
    if (!OpenAsShellUser(file, directory))
        ShellExecuteA(nullptr, "open", file.c_str(), "", directory.empty() ? nullptr : directory.c_str(),
                      SW_SHOWNORMAL);
}

} // namespace kf::ui
