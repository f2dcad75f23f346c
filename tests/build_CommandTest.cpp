#include "builder/build/Script.h"
#include "builder/build/SetupBuilder.h"
#include "build_Support.h"
#include "resources/EmbeddedStubs.h"
#include "tools/kftool/BuildCommand.h"
#include "tools/kftool/HostText.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace kf;
using kftest::EntryNames;
using kftest::KeepSetup;
using kftest::MakeTree;
using kftest::ReadFileBytes;
using kftest::TTempDir;
using Args = std::vector<std::string>;

namespace {

// A script with relative paths, as the demo keeps it, and the tree it names.
class BuildCommand : public testing::Test
{
protected:
    void SetUp() override
    {
        MakeTree(Temp.Path(), {"app/Tool.exe", "app/lang/de.ini", "readme.txt"});
        Settings.Title = "Cmd Tool";
        Settings.AddDir = true;
        Settings.AddDirText = "app";
        Settings.Main = std::string("app") + kPathDelim + "Tool.exe";
        Settings.Readme = "readme.txt";
        Script = Temp / "tool.kfs";
        SaveScript(Script, Settings);
    }

    int Run(const Args& args)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int status = kftool::RunBuildCommand(args);
        Out = testing::internal::GetCapturedStdout();
        Err = testing::internal::GetCapturedStderr();
        return status;
    }

    TTempDir Temp;
    TInstallSettings Settings;
    std::string Script;
    std::string Out, Err;
};

TEST_F(BuildCommand, RelativePathsResolveFromTheGivenDirectoryAndASummaryIsPrinted)
{
    std::string output = Temp / "CmdToolSetup.exe";
    ASSERT_EQ(Run({"-C", Temp.Path(), Script, output}), 0) << Err;
    KeepSetup(output);
    EXPECT_EQ(EntryNames(output, true),
              (Args{"install.inf", "uninstall.exe", "data\\Tool.exe", "data\\lang\\de.ini", "readme\\readme.txt"}));
    EXPECT_NE(Out.find("3 files packed"), std::string::npos) << Out;
    EXPECT_NE(Out.find(std::to_string(FileSizeAt(output)) + " bytes out"), std::string::npos) << Out;
    EXPECT_EQ(Err, "") << "no progress when the output is not a terminal";

    // The library with the same stubs and the resolved settings writes the same bytes.
    TInstallSettings resolved = Settings;
    resolved.AddDirText = Temp / "app";
    resolved.Main = kftest::HostPath(Temp.Path(), "app/Tool.exe");
    resolved.Readme = Temp / "readme.txt";
    ASSERT_TRUE(BuildSetup(resolved, Temp / "direct.exe", EmbeddedStubs()));
    EXPECT_EQ(ReadFileBytes(Temp / "direct.exe"), ReadFileBytes(output));
}

TEST_F(BuildCommand, FailureSaysWhyAndLeavesNoOutput)
{
    kf::RemoveFile(Temp / "readme.txt");
    std::string output = Temp / "CmdToolSetup.exe";
    EXPECT_EQ(Run({"-C", Temp.Path(), Script, output}), 1);
    EXPECT_FALSE(FileExists(output));
    EXPECT_NE(Err.find("Error creating installation.\n"), std::string::npos) << Err;
    EXPECT_NE(Err.find(Temp / "readme.txt" + ": File not found"), std::string::npos) << Err;
}

TEST_F(BuildCommand, UsageErrorsAndUnreadableScripts)
{
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"-C"}), 2);
    EXPECT_EQ(Run({"--fast", Script}), 2);
    EXPECT_EQ(Run({Script, "a.exe", "b.exe"}), 2);
    EXPECT_EQ(Run({Temp / "missing.kfs", Temp / "x.exe"}), 1);
    EXPECT_NE(Err.find("missing.kfs"), std::string::npos);

    // A script that stops loading partway would build something its author never saved.
    kftest::WriteFileBytes(Temp / "empty.kfs", "");
    EXPECT_EQ(Run({Temp / "empty.kfs", Temp / "x.exe"}), 1);
    EXPECT_NE(Err.find("LAUNCH"), std::string::npos) << Err;
    EXPECT_FALSE(FileExists(Temp / "x.exe"));
}

} // namespace

#ifndef _WIN32
TEST_F(BuildCommand, NamesGoInTheCodePageAndOneItCannotHoldFailsTheBuild)
{
    MakeTree(Temp.Path(), {"app/R\u00e9sum\u00e9.txt"}); // UTF-8 on disk
    kftool::UseCodePage(1252);
    struct TReset
    {
        ~TReset() { kftool::UseRawBytes(); }
    } reset;
    ASSERT_EQ(Run({"-C", Temp.Path(), Script, Temp / "western.exe"}), 0) << Err;
    EXPECT_EQ(EntryNames(Temp / "western.exe", true),
              (Args{"install.inf", "uninstall.exe", "data\\R\xE9sum\xE9.txt", "data\\Tool.exe", "data\\lang\\de.ini",
                    "readme\\readme.txt"}));

    std::FILE* chinese = std::fopen((Temp / "app/lang/\u4e2d.ini").c_str(), "w");
    ASSERT_NE(chinese, nullptr);
    std::fclose(chinese);
    EXPECT_EQ(Run({"-C", Temp.Path(), Script, Temp / "chinese.exe"}), 1);
    EXPECT_EQ(Err, "Error creating installation.\nkftool: " + Temp.Path() +
                       "/app/lang/<U+4E2D>.ini: the name cannot be written in code page 1252\n");
    EXPECT_FALSE(FileExists(Temp / "chinese.exe"));
    std::remove((Temp / "app/lang/\u4e2d.ini").c_str()); // the fixture's clean-up lists without a code page
}
#endif
