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

    // Visible until told otherwise. A control beyond kCapacity is left as it is, never
    // shown or hidden: the wizards' control sets are fixed and well below it.
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
    // Shows or hides every control as its page and its own visibility say.
    void Apply() const;

private:
    struct TItem
    {
        HWND Control;
        int Page;
        bool Visible;
    };
    bool Shown(const TItem& item) const { return item.Visible && (item.Page == kEveryPage || item.Page == FPage); }

    // A fixed table keeps a vector's growth code (and an exception) out of the stubs.
    TItem FItems[kCapacity] = {};
    int FCount = 0;
    int FPage = 0;
};

} // namespace kf::ui
