// The page order of the wizard and what the button bar shows on each page.
#pragma once

#include <cstdint>

namespace kf {

enum TWizardPage : int32_t
{
    kStartPage = 0,
    kInfoPage = 1,
    kAppearancePage = 2,
    kFilesPage = 3,
    kIconsPage = 4,
    kLicensePage = 5,
    kFinishPage = 6,
    kPageCount = 7,
};

// Which buttons of the bar are visible on a page. Cancel is never hidden, so it has no
// entry; enabled states are the page check's business.
struct TButtonBar
{
    bool Back = false;
    bool Next = false;
    bool Finish = false;
    bool OK = false;
    bool Save = false;
};

TButtonBar ButtonBarFor(int32_t page);

// The page ShowPage lands on: requested when it is a page, else the active one.
int32_t PageAfterShow(int32_t active, int32_t requested);

// The choices of the start page's radio group.
enum TStartChoice : int32_t
{
    kCreateNewInstallation = 0,
    kOpenExistingInstallation = 1,
};

// The choices of the finish page's radio group, by item index.
enum TFinishChoice : int32_t
{
    kRunInstallation = 0,
    kModifyInstallation = 1,
    kSaveInstallationScript = 2,
    kNewInstallation = 3,
    kQuit = 4,
};

} // namespace kf
