// The Win32 layer under Wine: handle ownership, the window procedure's exception
// boundary, the message loop's handling of WM_QUIT, and controls on wizard pages.
#include "platform/Error.h"
#include "win32ui/Control.h"
#include "win32ui/ErrorBox.h"
#include "win32ui/Handle.h"
#include "win32ui/MessageLoop.h"
#include "win32ui/PageControls.h"
#include "win32ui/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kf;
using namespace kf::ui;

namespace {

// A handle kind that records what it releases.
std::vector<int> GReleased;
struct TCountedKind
{
    using Type = int;
    static Type Invalid() { return 0; }
    static void Release(Type value) { GReleased.push_back(value); }
};
using TCounted = TOwned<TCountedKind>;

TEST(Win32Handles, EveryHandleIsReleasedExactlyOnce)
{
    GReleased.clear();
    {
        TCounted a(1);
        TCounted b(std::move(a));
        EXPECT_FALSE(a.Valid());
        TCounted c(2);
        c = std::move(b); // 2 goes, 1 moves over
        EXPECT_EQ(GReleased, std::vector<int>({2}));
        TCounted d(3);
        EXPECT_EQ(d.Detach(), 3); // the caller owns it now
        *d.Receive() = 4;
        *d.Receive() = 5; // an out parameter filled twice releases the first value
        EXPECT_EQ(GReleased, std::vector<int>({2, 4}));
    }
    EXPECT_EQ(GReleased, std::vector<int>({2, 4, 5, 1}));
}

TEST(Win32Handles, FileHandleTakesInvalidHandleValueForNone)
{
    TFileHandle none;
    EXPECT_EQ(none.Get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none.Valid());
    TFileHandle failed(CreateFileA("Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(failed.Valid());
}

std::vector<std::string> GReports;
void RecordReport(HWND, const std::exception* error)
{
    GReports.push_back(error ? error->what() : "<unknown>");
}

class TThrowingWindow : public TWindow
{
public:
    void Create()
    {
        RegisterWindowClass("KitforgeTestThrowing", nullptr);
        CreateHandle("KitforgeTestThrowing", 0, "", WS_POPUP, 0, 0, 10, 10, nullptr);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_USER)
            throw TError("Disk full");
        if (message == WM_USER + 1)
            throw 42;
        return Default(message, wParam, lParam);
    }
};

TEST(Win32Window, ExceptionsStopAtTheWindowProcedure)
{
    GReports.clear();
    SetExceptionReporter(RecordReport);
    TThrowingWindow window;
    window.Create();
    HWND handle = window.Handle();
    ASSERT_TRUE(handle);
    EXPECT_EQ(SendMessageA(handle, WM_USER, 0, 0), 0);
    SendMessageA(handle, WM_USER + 1, 0, 0);
    EXPECT_EQ(GReports, std::vector<std::string>({"Disk full", "<unknown>"}));
    // Destroyed from outside, the object learns that its window is gone.
    DestroyWindow(handle);
    EXPECT_EQ(window.Handle(), nullptr);
    SetExceptionReporter(nullptr);
}

class TNamedWindow : public TWindow
{
public:
    void Register(const char* className) { RegisterWindowClass(className, nullptr); }
};

TEST(Win32Window, ClassRegistrationFailureIsRaised)
{
    TNamedWindow window;
    EXPECT_NO_THROW(window.Register("KitforgeTestTwice"));
    EXPECT_NO_THROW(window.Register("KitforgeTestTwice")); // already there is fine
    std::string tooLong(300, 'x');                         // class names end at 256 characters
    EXPECT_THROW(window.Register(tooLong.c_str()), TError);
}

bool GModalDone = false;
void CALLBACK EndModal(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    GModalDone = true;
}

TEST(Win32MessageLoop, QuitIsLeftForTheLoopThatOwnsIt)
{
    PostQuitMessage(7);
    EXPECT_FALSE(PumpMessages());
    bool never = false;
    RunModal(never); // ends at the WM_QUIT the pump put back, and puts it back again
    EXPECT_EQ(RunMessageLoop(), 7);

    // A modal loop ends when its window says so, and leaves no quit behind.
    GModalDone = false;
    SetTimer(nullptr, 0, 20, &EndModal);
    RunModal(GModalDone);
    EXPECT_TRUE(GModalDone);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(Win32PageControls, AControlShowsOnItsPageWhileItIsVisible)
{
    HWND parent =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
    auto make = [&] { return CreateControl(parent, "STATIC", "", WS_VISIBLE, 0, 0, 0, 10, 10, 0, nullptr); };
    HWND first = make(), second = make(), optional = make(), button = make();
    TPageControls pages;
    pages.Add(first, 0);
    pages.Add(second, 1);
    pages.Add(optional, 1);
    pages.Add(button, TPageControls::kEveryPage);
    pages.SetOwnVisible(optional, false);
    pages.ShowPage(0);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_FALSE(IsWindowVisible(second));
    EXPECT_TRUE(IsWindowVisible(button));
    pages.ShowPage(1);
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_FALSE(IsWindowVisible(optional)); // its page is shown, it is not
    EXPECT_TRUE(IsWindowVisible(button));
    pages.SetVisible(optional, true);
    EXPECT_TRUE(IsWindowVisible(optional));
    // Hidden on another page, a control keeps its own visibility for when its page returns.
    pages.ShowPage(0);
    pages.SetVisible(second, false);
    pages.ShowPage(1);
    EXPECT_FALSE(IsWindowVisible(second));
    EXPECT_TRUE(pages.OwnVisible(optional));

    DestroyWindow(parent);
}

} // namespace
