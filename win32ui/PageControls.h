// The controls of a wizard's pages. Each control belongs to one page, or to every page
// (the button row), and keeps a visibility of its own, as a control on a hidden tab
// sheet does: it is shown while it is visible and its page is the shown one.
#pragma once

#include <windows.h>

namespace kf::ui {

class TPageControls
{
public:
    static constexpr int kEveryPage = -1;

    static constexpr int kCapacity = 64;

    // Visible until told otherwise. Raises TError beyond kCapacity controls.
    void Add(HWND control, int page);

    int Page() const { return FPage; }
    // Records the page or a control's own visibility; Apply shows the result.
    void SetPage(int page) { FPage = page; }
    void SetOwnVisible(HWND control, bool visible);
    bool OwnVisible(HWND control) const;

    void ShowPage(int page)
    {
        SetPage(page);
        Apply();
    }
    void SetVisible(HWND control, bool visible)
    {
        SetOwnVisible(control, visible);
        Apply();
    }
    // Shows what is to be seen, then hides the rest, so that the window never passes
    // through a moment with neither page on it.
    void Apply() const;

private:
    struct TItem
    {
        HWND Control;
        int Page;
        bool Visible;
    };
    bool Shown(const TItem& item) const { return item.Visible && (item.Page == kEveryPage || item.Page == FPage); }

    // A fixed table: the wizards' control sets are known when they are written, and it
    // keeps the growth code of a vector out of the stubs.
    TItem FItems[kCapacity] = {};
    int FCount = 0;
    int FPage = 0;
};

} // namespace kf::ui
