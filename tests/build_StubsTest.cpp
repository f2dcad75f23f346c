#include "builder/build/SetupBuilder.h"
#include "build_Support.h"
#include "platform/Error.h"
#include "resources/EmbeddedStubs.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace kf;
using kftest::HostPath;
using kftest::KeepSetup;
using kftest::MakeTree;
using kftest::ReadFileBytes;
using kftest::TTempDir;

namespace {

TEST(EmbeddedStubs, CarryTheBytesOfTheBuiltRuntimePrograms)
{
    // Windows: the RCDATA resources of this test program, found with FindResourceA.
    // Elsewhere: the same files linked in. Either way, byte for byte the stub programs.
    std::string installer = ReadFileBytes(HostPath(KF_STUB_ORIGIN_DIR, "installer.exe"));
    std::string uninstaller = ReadFileBytes(HostPath(KF_STUB_ORIGIN_DIR, "uninstall.exe"));
    EXPECT_EQ(installer.substr(0, 2), "MZ");
    EXPECT_EQ(uninstaller.substr(0, 2), "MZ");
    EXPECT_NE(installer, uninstaller);
    EXPECT_TRUE(EmbeddedStubs().Stub(TStubKind::Installer) == installer);
    EXPECT_TRUE(EmbeddedStubs().Stub(TStubKind::Uninstaller) == uninstaller);
}

TEST(EmbeddedStubs, SetupExecutableStartsWithTheInstallerAndPacksTheUninstaller)
{
    TTempDir temp;
    MakeTree(temp.Path(), {"app/app.exe", "app/data/notes.txt", "readme.txt"});
    TInstallSettings s;
    s.Title = "Stub Check";
    s.AddDir = true;
    s.AddDirText = temp / "app";
    s.Main = HostPath(temp.Path(), "app/app.exe");
    s.Readme = temp / "readme.txt";
    std::string output = temp / DefaultSetupFileName(s.Title);
    ASSERT_TRUE(BuildSetup(s, output, EmbeddedStubs()));
    KeepSetup(output);

    std::string setup = ReadFileBytes(output);
    std::string_view installer = EmbeddedStubs().Stub(TStubKind::Installer);
    EXPECT_TRUE(std::string_view(setup).substr(0, installer.size()) == installer);
    EXPECT_TRUE(kftest::EntryText(output, true, "uninstall.exe") == EmbeddedStubs().Stub(TStubKind::Uninstaller));
    EXPECT_EQ(kftest::EntryNames(output, true),
              (std::vector<std::string>{"install.inf", "uninstall.exe", "data\\app.exe", "data\\data\\notes.txt",
                                        "readme\\readme.txt"}));
}

#ifdef _WIN32
TEST(EmbeddedStubs, ModuleWithoutTheResourcesRaisesInsteadOfHandingOutNothing)
{
    TResourceStubSource kernel(GetModuleHandleA("kernel32.dll"));
    EXPECT_THROW(kernel.Stub(TStubKind::Installer), TError);
    EXPECT_THROW(kernel.Stub(TStubKind::Uninstaller), TError);
}
#endif

} // namespace
