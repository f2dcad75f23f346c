/* Demo Tool: one window that says where it runs from, with an About box. Small enough
   to read in a minute, real enough to install, start from a shortcut and uninstall. */
#include <windows.h>

#define IDM_ABOUT 100
#define IDM_EXIT 101

static char g_folder[MAX_PATH];

static void FindOwnFolder(void)
{
    char *cut;
    GetModuleFileNameA(NULL, g_folder, sizeof g_folder);
    cut = strrchr(g_folder, '\\');
    if (cut)
        *cut = '\0';
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_ABOUT)
            MessageBoxA(window, "Demo Tool 1.0\n\nA sample application packaged with Kitforge.", "About Demo Tool",
                        MB_OK | MB_ICONINFORMATION);
        else if (LOWORD(wParam) == IDM_EXIT)
            DestroyWindow(window);
        return 0;
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        RECT area;
        HDC dc = BeginPaint(window, &paint);
        char text[MAX_PATH + 128];
        wsprintfA(text, "Hello from Demo Tool.\n\nInstalled in:\n%s", g_folder);
        GetClientRect(window, &area);
        InflateRect(&area, -16, -16);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, text, -1, &area, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    WNDCLASSA windowClass = {0};
    HMENU menu = CreateMenu(), fileMenu = CreatePopupMenu(), helpMenu = CreatePopupMenu();
    HWND window;
    MSG message;
    (void)previous;
    (void)commandLine;

    FindOwnFolder();
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
    windowClass.hIcon = LoadIcon(NULL, IDI_APPLICATION);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "KitforgeDemoTool";
    if (!RegisterClassA(&windowClass))
        return 1;

    AppendMenuA(fileMenu, MF_STRING, IDM_EXIT, "E&xit");
    AppendMenuA(helpMenu, MF_STRING, IDM_ABOUT, "&About Demo Tool");
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)fileMenu, "&File");
    AppendMenuA(menu, MF_POPUP, (UINT_PTR)helpMenu, "&Help");

    window = CreateWindowA(windowClass.lpszClassName, "Demo Tool", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           480, 240, NULL, menu, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    while (GetMessageA(&message, NULL, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
