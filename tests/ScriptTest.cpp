#include "archive/CompressionManager.h"
#include "builder/build/Script.h"
#include "platform/Error.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace kf;
using kftest::TTempDir;
using kftest::WriteFileBytes;

namespace {

// Settings that differ from the defaults in every field, to see what a load touched.
TInstallSettings Distinct()
{
    TInstallSettings s;
    s.Title = "Old Title";
    s.Dir = "Old Dir";
    s.URL = "old.example";
    s.Main = "C:\\old\\old.exe";
    s.Launch = false;
    s.AddFiles = true;
    s.AddDir = false;
    s.AddFilesList = {"C:\\old\\1.txt"};
    s.AddDirText = "C:\\oldimage";
    s.StartMenu = "Old Group";
    s.IconUninstall = false;
    s.IconWebsite = true;
    s.IconUninstallText = "Old Uninstall";
    s.IconWebsiteText = "Old Website";
    s.Desktop = false;
    s.IconAppText = "Old App";
    s.License = "C:\\old\\lic.txt";
    s.Image = "C:\\old\\wiz.bmp";
    s.ColorTop = 9;
    s.ColorBottom = 12;
    s.BrowseDisable = true;
    s.IncludeMainExe = false;
    s.Readme = "C:\\old\\readme.txt";
    s.BaseDir = 3;
    return s;
}

std::map<std::string, std::string> Encoded(const TInstallSettings& s)
{
    std::map<std::string, std::string> values;
    for (const TSettingInfo& info : kSettingTable)
        values[info.Name] = EncodeSetting(s, info.Key);
    return values;
}

// Writes a script holding the given key/text pairs, in the given order.
void WriteScript(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    TCompressionManager archive(path, true, false, false);
    for (const auto& entry : entries)
        archive.WriteEntryString(entry.first, entry.second);
}

// A script of the default settings with some keys left out or replaced.
void WriteDefaultsExcept(const std::string& path, const std::map<std::string, std::string>& replaced,
                         const std::vector<std::string>& dropped = {})
{
    TInstallSettings defaults;
    std::vector<std::pair<std::string, std::string>> entries;
    for (const TSettingInfo& info : kSettingTable)
    {
        if (std::find(dropped.begin(), dropped.end(), info.Name) != dropped.end())
            continue;
        auto it = replaced.find(info.Name);
        entries.push_back({info.Name, it != replaced.end() ? it->second : EncodeSetting(defaults, info.Key)});
    }
    WriteScript(path, entries);
}

// Which keys a load assigned, in assignment order.
class TRecordingTarget : public TSettingsRecord
{
public:
    explicit TRecordingTarget(TInstallSettings& s) : TSettingsRecord(s) {}
    std::vector<TSettingKey> Order;
    void AssignText(TSettingKey k, const std::string& v) override { Order.push_back(k); TSettingsRecord::AssignText(k, v); }
    void AssignFlag(TSettingKey k, bool v) override { Order.push_back(k); TSettingsRecord::AssignFlag(k, v); }
    void AssignList(TSettingKey k, const std::vector<std::string>& v) override { Order.push_back(k); TSettingsRecord::AssignList(k, v); }
    void AssignIndex(TSettingKey k, int32_t v) override { Order.push_back(k); TSettingsRecord::AssignIndex(k, v); }
};

} // namespace

TEST(Script, SaveWritesTwentyFourEntriesInKeyOrderAndLoadsBack)
{
    TTempDir dir;
    TInstallSettings saved = Distinct();
    saved.AddFilesList = {"C:\\a b\\x.txt", "C:\\c\\y.txt", "C:\\a b\\x.txt"};
    SaveScript(dir / "s.kfs", saved);
    {
        TCompressionManager archive(dir / "s.kfs", false, true, false);
        ASSERT_EQ(archive.Entries().size(), 24u);
        for (size_t i = 0; i < 24; ++i)
            EXPECT_EQ(archive.Entries()[i].NameString(), kSettingTable[i].Name);
        EXPECT_EQ(archive.ReadEntryString("ADDFILESLIST"), "C:\\a b\\x.txt\r\nC:\\c\\y.txt\r\nC:\\a b\\x.txt\r\n");
        EXPECT_EQ(archive.ReadEntryString("LAUNCH"), "0");
        EXPECT_EQ(archive.ReadEntryString("BASEDIR"), "3");
    }
    TInstallSettings loaded;
    TRecordingTarget target(loaded);
    TLoadReport report;
    EXPECT_TRUE(LoadScript(dir / "s.kfs", target, &report));
    EXPECT_TRUE(report.Complete);
    EXPECT_EQ(Encoded(loaded), Encoded(saved));
    ASSERT_EQ(target.Order.size(), 24u);
    for (size_t i = 0; i < 24; ++i)
        EXPECT_EQ(target.Order[i], kSettingTable[i].Key);
}

TEST(Script, DefaultsRoundTripAndEmptyTextsAreEmptyEntries)
{
    TTempDir dir;
    SaveScript(dir / "d.kfs", TInstallSettings());
    TCompressionManager archive(dir / "d.kfs", false, true, false);
    EXPECT_EQ(archive.GetEntrySize("URL"), 0);
    EXPECT_EQ(archive.GetEntrySize("ADDFILESLIST"), 0);
    TInstallSettings loaded = Distinct();
    TSettingsRecord target(loaded);
    LoadScript(dir / "d.kfs", target);
    EXPECT_EQ(Encoded(loaded), Encoded(TInstallSettings()));
}

TEST(Script, StrictFlagKeysEndTheLoadWhereTheyFail)
{
    TTempDir dir;
    TInstallSettings before = Distinct();
    TInstallSettings defaults;

    WriteDefaultsExcept(dir / "nolaunch.kfs", {}, {"LAUNCH"});
    TInstallSettings s = before;
    TSettingsRecord target(s);
    TLoadReport report;
    EXPECT_TRUE(LoadScript(dir / "nolaunch.kfs", target, &report));
    EXPECT_FALSE(report.Complete);
    EXPECT_EQ(report.StoppedAt, "LAUNCH");
    auto got = Encoded(s), old = Encoded(before), def = Encoded(defaults);
    for (const TSettingInfo& info : kSettingTable)
    {
        bool loaded = info.Key <= TSettingKey::Main;
        EXPECT_EQ(got[info.Name], loaded ? def[info.Name] : old[info.Name]) << info.Name;
    }

    WriteDefaultsExcept(dir / "nobrowse.kfs", {}, {"BROWSEDISABLE"});
    s = before;
    LoadScript(dir / "nobrowse.kfs", target);
    got = Encoded(s);
    for (const TSettingInfo& info : kSettingTable)
    {
        bool loaded = info.Key <= TSettingKey::ColorBottom;
        EXPECT_EQ(got[info.Name], loaded ? def[info.Name] : old[info.Name]) << info.Name;
    }

    WriteDefaultsExcept(dir / "badflag.kfs", {{"DESKTOP", "yes"}});
    s = before;
    LoadScript(dir / "badflag.kfs", target);
    EXPECT_EQ(s.IconAppText, before.IconAppText) << "keys after a malformed flag keep their values";
    EXPECT_EQ(s.IconWebsiteText, defaults.IconWebsiteText);
}

TEST(Script, LenientKeysFallBack)
{
    TTempDir dir;
    WriteDefaultsExcept(dir / "s.kfs", {}, {"INCLUDEMAINEXE", "COLORTOP", "BASEDIR"});
    TInstallSettings s = Distinct();
    TSettingsRecord target(s);
    TLoadReport report;
    LoadScript(dir / "s.kfs", target, &report);
    EXPECT_TRUE(report.Complete);
    EXPECT_TRUE(s.IncludeMainExe);
    EXPECT_EQ(s.ColorTop, 4);
    EXPECT_EQ(s.BaseDir, 0);

    WriteDefaultsExcept(dir / "t.kfs", {{"INCLUDEMAINEXE", "x"}, {"COLORBOTTOM", "?"}, {"COLORTOP", "7"}});
    s = Distinct();
    LoadScript(dir / "t.kfs", target);
    EXPECT_TRUE(s.IncludeMainExe);
    EXPECT_EQ(s.ColorBottom, 0);
    EXPECT_EQ(s.ColorTop, 7);
}

TEST(Script, FlagsTakeTheLowestEightBits)
{
    TTempDir dir;
    WriteDefaultsExcept(dir / "s.kfs", {{"LAUNCH", "256"}, {"ADDFILES", "257"}, {"ADDDIR", "-1"},
                                        {"ICONUNINSTALL", " 0"}, {"DESKTOP", "+2"}});
    TInstallSettings s = Distinct();
    TSettingsRecord target(s);
    TLoadReport report;
    LoadScript(dir / "s.kfs", target, &report);
    EXPECT_TRUE(report.Complete) << report.Reason;
    EXPECT_FALSE(s.Launch);
    EXPECT_TRUE(s.AddFiles);
    EXPECT_TRUE(s.AddDir);
    EXPECT_FALSE(s.IconUninstall);
    EXPECT_TRUE(s.Desktop);
}

TEST(Script, OutOfRangeIndicesNeverLeaveTheLists)
{
    TTempDir dir;
    WriteDefaultsExcept(dir / "s.kfs", {{"COLORTOP", "16"}, {"COLORBOTTOM", "-3"}, {"BASEDIR", "7"}});
    TInstallSettings s = Distinct();
    TSettingsRecord target(s);
    LoadScript(dir / "s.kfs", target);
    EXPECT_EQ(s.ColorTop, 4);
    EXPECT_EQ(s.ColorBottom, 0);
    EXPECT_EQ(s.BaseDir, 0);
    WriteDefaultsExcept(dir / "t.kfs", {{"COLORTOP", "15"}, {"BASEDIR", "6"}, {"COLORBOTTOM", "99999999999"}});
    LoadScript(dir / "t.kfs", target);
    EXPECT_EQ(s.ColorTop, 15);
    EXPECT_EQ(s.BaseDir, 6);
    EXPECT_EQ(s.ColorBottom, 0);
}

TEST(Script, KeysMatchWithoutCaseAndTheLastDuplicateCounts)
{
    TTempDir dir;
    WriteScript(dir / "s.kfs", {{"title", "lower"}, {"Title", "later"}, {"dir", "d"}});
    TInstallSettings s = Distinct();
    TSettingsRecord target(s);
    LoadScript(dir / "s.kfs", target);
    EXPECT_EQ(s.Title, "later");
    EXPECT_EQ(s.Dir, "d");
    EXPECT_EQ(s.URL, "") << "a missing text key reads as empty";
    EXPECT_EQ(s.Launch, Distinct().Launch) << "the missing LAUNCH ended the load";
}

TEST(Script, PathListSplitsAtEveryLineBreak)
{
    EXPECT_EQ(SplitLines("a\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\r\nb\rc\n"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\n"), (std::vector<std::string>{""}));
    EXPECT_TRUE(SplitLines("").empty());

    TTempDir dir;
    WriteDefaultsExcept(dir / "s.kfs", {{"ADDFILESLIST", "C:\\1\nC:\\2\nC:\\3\n"}});
    TInstallSettings s = Distinct();
    TSettingsRecord target(s);
    LoadScript(dir / "s.kfs", target);
    EXPECT_EQ(s.AddFilesList, (std::vector<std::string>{"C:\\1", "C:\\2", "C:\\3"}));
    WriteDefaultsExcept(dir / "t.kfs", {});
    LoadScript(dir / "t.kfs", target);
    EXPECT_TRUE(s.AddFilesList.empty());
}

TEST(Script, UnreadableFilesReportSuccessAndKeepTheSettings)
{
    TTempDir dir;
    TInstallSettings s = Distinct();
    TSettingsRecord target(s);
    TLoadReport report;
    EXPECT_TRUE(LoadScript(dir / "missing.kfs", target, &report));
    EXPECT_FALSE(report.Complete);
    EXPECT_EQ(report.Reason, "File not found");
    EXPECT_EQ(Encoded(s), Encoded(Distinct()));

    WriteFileBytes(dir / "zero.kfs", "");
    EXPECT_TRUE(LoadScript(dir / "zero.kfs", target));
    EXPECT_EQ(s.Title, "");
    EXPECT_EQ(s.Dir, "");
    EXPECT_EQ(s.URL, "");
    EXPECT_EQ(s.Main, "");
    EXPECT_EQ(s.StartMenu, Distinct().StartMenu);
    EXPECT_EQ(s.Launch, Distinct().Launch);
}

TEST(Script, SaveErrorsReachTheCaller)
{
    TTempDir dir;
    EXPECT_THROW(SaveScript(dir / "no-such-dir" + std::string(1, kPathDelim) + "s.kfs", TInstallSettings()),
                 TIOError);
}

TEST(Script, IntegerConversion)
{
    int32_t v = 0;
    EXPECT_TRUE(TryParseInteger("2147483647", v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(TryParseInteger("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_FALSE(TryParseInteger("2147483648", v));
    EXPECT_FALSE(TryParseInteger("", v));
    EXPECT_FALSE(TryParseInteger("-", v));
    EXPECT_FALSE(TryParseInteger("1 ", v));
    EXPECT_FALSE(TryParseInteger("0x10", v));
}
