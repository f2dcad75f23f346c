#include "builder/wizard/Navigation.h"

namespace kf {

TButtonBar ButtonBarFor(int32_t page)
{
    TButtonBar bar;
    bar.Save = page >= kInfoPage && page <= kLicensePage;
    // The start page is reached only by Cancel, so Back is hidden on the Info page.
    bar.Back = page >= kAppearancePage && page <= kLicensePage;
    bar.Next = page < kLicensePage;
    bar.Finish = page == kLicensePage;
    bar.OK = page == kFinishPage;
    return bar;
}

int32_t PageAfterShow(int32_t active, int32_t requested)
{
    return requested >= 0 && requested < kPageCount ? requested : active;
}

} // namespace kf
