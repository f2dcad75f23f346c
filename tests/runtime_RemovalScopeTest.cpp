// What a removal may touch: the scope rule once, table-driven, and a hostile log
// against the uninstaller's core.
#include "runtime/common/RemovalScope.h"
#include "runtime/common/UninstallLog.h"
#include "runtime/uninstaller/UninstallCore.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

using namespace kf;
using ::testing::ElementsAre;

namespace {

// The links it knows, and every level it was asked about.
struct TLinks : IReparsePoints
{
    std::set<std::string> Links = {"C:\\Apps\\Demo\\linked", "C:\\Apps\\Demo\\bin\\tool.exe", "D:\\Linked"};
    std::vector<std::string> Asked;
    bool IsReparsePoint(const std::string& path) override
    {
        Asked.push_back(path);
        return Links.count(path) > 0;
    }
};

} // namespace

TEST(RemovalScope, OnlyPlainPathsBelowARootAndNoLinkOnTheWay)
{
    TRemovalScope scope;
    scope.AddTree("C:\\Apps\\Demo\\");
    scope.AddLevel("C:\\Apps");
    scope.AddShortcutFolder("C:\\Users\\Public\\Desktop");
    scope.AddTree("\\\\srv\\share\\Kit");
    scope.AddTree("D:\\Linked");
    // Roots that would own a whole drive or share, or depend on the current folder.
    for (const char* root : {"C:\\", "C:", "\\\\srv\\share", "\\", "Demo", ""})
        scope.AddTree(root);
    const TScopeVerdict in = TScopeVerdict::Inside, out = TScopeVerdict::Outside, link = TScopeVerdict::ThroughLink;
    const struct
    {
        const char* Path;
        TScopeVerdict Verdict;
    } cases[] = {
        {"C:\\Apps\\Demo\\a.txt", in},
        {"c:\\apps\\DEMO\\sub\\b.dll", in},
        {"C:\\Apps\\Demo", in},
        {"C:\\Apps\\Demo\\", in},
        {"C:/Apps/Demo/x.txt", in},
        {"C:\\Apps\\Demo\\\\x.txt", in},
        {"C:\\Apps\\DemoX\\a.txt", out},
        {"C:\\Apps\\Demo\\..\\..\\Windows\\win.ini", out},
        {"C:\\Apps\\Demo\\.\\a", out},
        {"C:\\Apps\\Demo\\a.txt.", out},
        {"C:\\Apps\\Demo\\a ", out},
        {"C:\\Apps\\Demo\\a.txt:stream", out},
        {"\\\\?\\C:\\Apps\\Demo\\a.txt", out},
        {"\\\\.\\C:\\Apps\\Demo\\a.txt", out},
        {"Apps\\Demo\\a.txt", out},
        {"C:Apps\\Demo\\a.txt", out},
        {"C:\\Windows\\System32\\drivers\\etc\\hosts", out},
        {"", out},
        {"C:\\Apps", in}, // a level the installation made: itself only
        {"C:\\Apps\\Other.txt", out},
        {"C:\\Users\\Public\\Desktop\\Demo.lnk", in},
        {"C:\\Users\\Public\\Desktop\\Demo.URL", in},
        {"C:\\Users\\Public\\Desktop\\Demo.exe", out},
        {"C:\\Users\\Public\\Desktop\\Sub\\Demo.lnk", out},
        {"C:\\Users\\Public\\Desktop", out},
        {"\\\\srv\\share\\Kit\\a", in},
        {"\\\\SRV\\Share\\kit\\a", in},
        {"\\\\srv\\share\\a", out},
        {"C:\\a", out},
        {"C:\\Apps\\Demo\\linked", link},
        {"C:\\Apps\\Demo\\linked\\x.txt", link},
        {"C:\\Apps\\Demo\\bin\\tool.exe", link},
        {"C:\\Apps\\Demo\\bin\\other.exe", in},
        {"D:\\Linked\\a.txt", link},
    };
    TLinks links;
    for (const auto& c : cases)
        EXPECT_EQ(scope.Check(c.Path, links), c.Verdict) << c.Path;

    // Every level from the root down is asked about, in the path's own spelling.
    links.Asked.clear();
    scope.Check("c:\\apps\\DEMO\\\\sub\\b.dll", links);
    EXPECT_THAT(links.Asked, ElementsAre("c:\\apps\\DEMO", "c:\\apps\\DEMO\\\\sub", "c:\\apps\\DEMO\\\\sub\\b.dll"));

    // Through the cache, the files of one folder cost a question each; a link is asked
    // about every time.
    TLinks counted;
    TReparseCache cache(counted);
    for (const char* file : {"C:\\Apps\\Demo\\sub\\a", "C:\\Apps\\Demo\\sub\\b", "C:\\Apps\\Demo\\linked\\c",
                             "C:\\Apps\\Demo\\sub\\d"})
        scope.Check(file, cache);
    EXPECT_EQ(scope.Check("C:\\Apps\\Demo\\linked\\e", cache), link);
    EXPECT_THAT(counted.Asked, ElementsAre("C:\\Apps\\Demo", "C:\\Apps\\Demo\\sub", "C:\\Apps\\Demo\\sub\\a",
                                           "C:\\Apps\\Demo\\sub\\b", "C:\\Apps\\Demo\\linked",
                                           "C:\\Apps\\Demo\\sub\\d", "C:\\Apps\\Demo\\linked"));

    EXPECT_EQ(OwnableFolder("c:/apps//demo/"), "C:\\APPS\\DEMO");
    EXPECT_EQ(OwnableFolder("\\\\srv\\share\\"), "");
}

TEST(RemovalScope, RegistryKeysOfTheApplicationOnly)
{
    const struct
    {
        const char* Key;
        bool Own;
    } cases[] = {
        {"Software\\Vendor\\Demo", true},
        {"SOFTWARE\\vendor", true},
        {"Software", false},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Run", false},
        {"software\\classes\\exefile", false},
        {"Software\\Policies\\Vendor", false},
        {"Software\\Wow6432Node\\Vendor", false},
        {"Software\\ Microsoft", false},
        {"SYSTEM\\CurrentControlSet\\Services\\WinDefend", false},
        {"Software\\\\Vendor", false},
        {"Software\\Vendor\\", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsOwnRegistryKey(c.Key), c.Own) << c.Key;
}
