#include "archive/ArchiveFormat.h"
#include "build_Support.h"
#include "builder/build/InstallDescription.h"
#include "builder/build/SetupBuilder.h"
#include "platform/Error.h"
#include "platform/File.h"

#include <gtest/gtest.h>

using namespace kf;
using kftest::EntryNames;
using kftest::EntryText;
using kftest::HostPath;
using kftest::KeepSetup;
using kftest::MakeTree;
using kftest::ReadFileBytes;
using kftest::TRecordingObserver;
using kftest::TTempDir;
using kftest::WriteFileBytes;
using Names = std::vector<std::string>;

namespace {

// The worked example on disk: image Build, licence in Docs, bitmap in Art.
class WorkedExample : public testing::Test
{
protected:
    void SetUp() override
    {
        Image = Temp / "Build";
        MakeTree(Image, {"demo.exe", "help.txt", "lang/de.ini", "lang/fr.ini"});
        MakeTree(Temp.Path(), {"Docs/licence.rtf", "Art/wizard.bmp"});
        Settings.Title = "Demo Tool";
        Settings.Dir = "Demo Tool";
        Settings.Main = HostPath(Image, "demo.exe");
        Settings.AddDir = true;
        Settings.AddDirText = Image;
        Settings.StartMenu = "Demo Tool";
        Settings.IconAppText = "Demo Tool";
        Settings.IconUninstallText = "Uninstall Demo Tool";
        Settings.License = HostPath(Temp.Path(), "Docs/licence.rtf");
        Settings.Image = HostPath(Temp.Path(), "Art/wizard.bmp");
        Settings.BrowseDisable = true;
        Output = Temp / "DemoToolSetup.exe";
    }

    TTempDir Temp;
    std::string Image;
    std::string Output;
    TInstallSettings Settings;
    TMemoryStubSource Stubs = kftest::FakeStubs();
    TRecordingObserver Observer;
};

TEST(SetupNames, DefaultSetupFileNameKeepsOnlyPlainCharacters)
{
    EXPECT_EQ(DefaultSetupFileName("My Application"), "MyApplicationSetup.exe");
    EXPECT_EQ(DefaultSetupFileName("Demo Tool 2.0"), "DemoTool20Setup.exe");
    EXPECT_EQ(DefaultSetupFileName(""), "Setup.exe");
    EXPECT_EQ(DefaultSetupFileName(" .,;!() "), "Setup.exe");
    EXPECT_EQ(DefaultSetupFileName("Caf\xE9-Tool_x"), "Caf-Tool_xSetup.exe");
}

TEST(SetupNames, PackagePathReplacesTheExtensionOfTheFileNameOnly)
{
    std::string dir = HostPath(HostPath("C:", "Out.v2"), "");
    EXPECT_EQ(PackagePathFor(dir + "DemoToolSetup.exe"), dir + "DemoToolSetup.dat");
    EXPECT_EQ(PackagePathFor(dir + "Setup"), dir + "Setup.dat") << "the dot of the folder is not an extension";
    EXPECT_EQ(PackagePathFor(dir + "a.b.exe"), dir + "a.b.dat");
    // The package must never be the output itself: the assembly would read what it is
    // truncating and then delete its own result.
    EXPECT_EQ(PackagePathFor(dir + "Setup.dat"), dir + "Setup.dat.dat");
}

TEST_F(WorkedExample, PackageHoldsTheEntriesInBuildOrder)
{
    std::string package = Temp / "package.dat";
    ASSERT_TRUE(BuildPackage(Settings, package, Stubs, &Observer)) << testing::PrintToString(Observer.Failures);
    EXPECT_EQ(EntryNames(package, false),
              (Names{"install.inf", "uninstall.exe", "data\\demo.exe", "data\\help.txt", "data\\lang\\de.ini",
                     "data\\lang\\fr.ini", "lic\\licence.rtf", "wizard.bmp"}));
    EXPECT_EQ(EntryText(package, false, "install.inf"), BuildInstallDescription(Settings));
    EXPECT_EQ(EntryText(package, false, "uninstall.exe"), std::string(Stubs.Stub(TStubKind::Uninstaller)));
    EXPECT_EQ(EntryText(package, false, "data\\lang\\fr.ini"), "content of lang/fr.ini");
    EXPECT_EQ(EntryText(package, false, "wizard.bmp"), "content of Art/wizard.bmp");
    EXPECT_EQ(Observer.Packed.size(), 6u);
    EXPECT_TRUE(Observer.Failures.empty());
}

TEST_F(WorkedExample, SetupIsStubThenPackageThenTrailerAndThePackageFileIsGone)
{
    std::string reference = Temp / "reference.dat";
    ASSERT_TRUE(BuildPackage(Settings, reference, Stubs));
    std::string package = ReadFileBytes(reference);
    std::string stub(Stubs.Stub(TStubKind::Installer));

    ASSERT_TRUE(BuildSetup(Settings, Output, Stubs, &Observer)) << testing::PrintToString(Observer.Failures);
    KeepSetup(Output);
    std::string setup = ReadFileBytes(Output);
    ASSERT_EQ(setup.size(), stub.size() + package.size() + 4);
    EXPECT_EQ(setup.substr(0, stub.size()), stub);
    EXPECT_EQ(setup.substr(stub.size(), package.size()), package);
    uint8_t trailer[4];
    std::copy(setup.end() - 4, setup.end(), trailer);
    EXPECT_EQ(DecodeLE32(trailer), static_cast<int32_t>(stub.size()));
    EXPECT_EQ(static_cast<uint8_t>(setup[setup.size() - 4]), stub.size() & 0xFF) << "least significant byte first";

    EXPECT_FALSE(FileExists(Temp / "DemoToolSetup.dat"));
    EXPECT_EQ(EntryNames(Output, true), EntryNames(reference, false));
    EXPECT_EQ(Observer.WaitsBegun, 1);
    EXPECT_EQ(Observer.WaitsEnded, 1);
    EXPECT_EQ(Observer.Last.FilesDone, 5);
    EXPECT_EQ(Observer.Last.FileCount, 6);
}

TEST_F(WorkedExample, SameSettingsAndTreeGiveTheSameBytesAndASecondBuildReplacesTheFirst)
{
    MakeTree(Image, {"big/blob.bin"});
    WriteFileBytes(HostPath(Image, "big/blob.bin"), kftest::NoiseBytes(300000));
    ASSERT_TRUE(BuildSetup(Settings, Output, Stubs));
    std::string first = ReadFileBytes(Output);

    std::string again = Temp / "again.exe";
    ASSERT_TRUE(BuildSetup(Settings, again, Stubs));
    EXPECT_EQ(ReadFileBytes(again), first) << "a build is reproducible";

    // Shrink the tree: the rebuilt output must not keep a tail of the larger first one.
    kf::RemoveFile(HostPath(Image, "big/blob.bin"));
    ASSERT_TRUE(BuildSetup(Settings, Output, Stubs));
    KeepSetup(Output);
    std::string second = ReadFileBytes(Output);
    EXPECT_LT(second.size(), first.size() - 250000);
    ASSERT_TRUE(BuildSetup(Settings, again, Stubs));
    EXPECT_EQ(ReadFileBytes(again), second);
    EXPECT_EQ(EntryNames(Output, true).size(), 8u);
}

TEST_F(WorkedExample, OutputInsideTheImageLeavesThePackageFileOutOfPackageAndDescription)
{
    std::string output = HostPath(Image, "DemoToolSetup.exe");
    WriteFileBytes(HostPath(Image, "OldSetup.exe"), "an earlier build");
    ASSERT_TRUE(BuildSetup(Settings, output, Stubs, &Observer)) << testing::PrintToString(Observer.Failures);
    KeepSetup(output);
    Names names = EntryNames(output, true);
    EXPECT_EQ(std::count(names.begin(), names.end(), "data\\DemoToolSetup.dat"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "data\\OldSetup.exe"), 1) << "other setups are ordinary files";
    std::string description = EntryText(output, true, "install.inf");
    EXPECT_EQ(description.find("DemoToolSetup.dat"), std::string::npos);
    EXPECT_NE(description.find("data\\OldSetup.exe;OldSetup.exe"), std::string::npos);
    EXPECT_FALSE(FileExists(HostPath(Image, "DemoToolSetup.dat")));
}

TEST_F(WorkedExample, MissingAddedFileFailsLeavingThePackageAndNoOutput)
{
    Settings.AddDir = false;
    Settings.AddFiles = true;
    Settings.AddFilesList = {HostPath(Image, "help.txt"), Temp / "gone.txt"};
    ASSERT_FALSE(BuildSetup(Settings, Output, Stubs, &Observer));
    EXPECT_FALSE(FileExists(Output));
    EXPECT_TRUE(FileExists(Temp / "DemoToolSetup.dat")) << "the package stays for inspection";
    ASSERT_EQ(Observer.Failures.size(), 1u);
    EXPECT_EQ(Observer.Failures[0], Temp / "gone.txt" + ": File not found");
    EXPECT_EQ(Observer.WaitsBegun, 1);
    EXPECT_EQ(Observer.WaitsEnded, 1) << "the wait window goes on failure too";
    // What was written before the error is still there.
    EXPECT_EQ(EntryNames(Temp / "DemoToolSetup.dat", false), (Names{"install.inf", "uninstall.exe", "data\\help.txt"}));
}

TEST_F(WorkedExample, MissingDocumentsAndABlankImageDirectoryFailThePackage)
{
    Settings.Readme = Temp / "no-readme.txt";
    EXPECT_FALSE(BuildPackage(Settings, Temp / "p.dat", Stubs, &Observer));
    ASSERT_EQ(Observer.Failures.size(), 1u);
    EXPECT_EQ(Observer.Failures[0], Temp / "no-readme.txt" + ": File not found");

    Settings.Readme = "";
    Settings.AddDirText = " ";
    EXPECT_FALSE(BuildSetup(Settings, Output, Stubs, &Observer));
    EXPECT_EQ(Observer.Failures.size(), 2u);
    EXPECT_FALSE(FileExists(Output));
}

TEST_F(WorkedExample, FailedAssemblyStillDeletesThePackage)
{
    // The output's name is taken by a directory, so creating it fails after packaging.
    kf::ForceDirectories(Output);
    ASSERT_FALSE(BuildSetup(Settings, Output, Stubs, &Observer));
    EXPECT_FALSE(FileExists(Temp / "DemoToolSetup.dat"));
    ASSERT_EQ(Observer.Failures.size(), 1u);
    EXPECT_EQ(Observer.Failures[0].rfind(Output + ": ", 0), 0u) << Observer.Failures[0];
    kf::RemoveEmptyDirectory(Output);
}

class TMissingInstaller : public TStubSource
{
public:
    std::string_view Stub(TStubKind kind) override
    {
        if (kind == TStubKind::Installer)
            throw TError("Resource INSTALLEXE not found");
        return "uninstaller";
    }
};

TEST_F(WorkedExample, MissingInstallerStubFailsWithoutTouchingAnEarlierOutput)
{
    WriteFileBytes(Output, "earlier setup");
    TMissingInstaller stubs;
    ASSERT_FALSE(BuildSetup(Settings, Output, stubs, &Observer));
    EXPECT_EQ(ReadFileBytes(Output), "earlier setup");
    ASSERT_EQ(Observer.Failures.size(), 1u);
    EXPECT_EQ(Observer.Failures[0], "INSTALLEXE: Resource INSTALLEXE not found");
    EXPECT_FALSE(FileExists(Temp / "DemoToolSetup.dat"));
}

// Offsets are signed 32-bit. Sparse files make the sizes without writing them.

TEST(SetupLimits, PackageOrSetupReachingTwoGibibytesFailsCleanly)
{
    TTempDir temp;
    TMemoryStubSource stubs = kftest::FakeStubs();
    std::string stub(stubs.Stub(TStubKind::Installer));

    // Stub + package + trailer of exactly 2 GiB: the trailer could still hold N, but the
    // stub's own reads of the file could not...
    std::string package = temp / "large.dat";
    kftest::MakeSparseFile(package, kArchiveSizeLimit - 4 - static_cast<int64_t>(stub.size()));
    EXPECT_THROW(AssembleSetup(stub, package, temp / "toobig.exe"), TError);
    EXPECT_FALSE(FileExists(temp / "toobig.exe")) << "refused before the output was created";
    kf::RemoveFile(package);

    // ...and a source file of 2 GiB cannot become an entry.
    std::string source = temp / "huge.bin";
    kftest::MakeSparseFile(source, kArchiveSizeLimit);
    TInstallSettings s;
    s.Main = source;
    TRecordingObserver observer;
    EXPECT_FALSE(BuildSetup(s, temp / "Setup.exe", stubs, &observer));
    EXPECT_FALSE(FileExists(temp / "Setup.exe"));
    ASSERT_EQ(observer.Failures.size(), 1u);
    EXPECT_NE(observer.Failures[0].find("2 GiB"), std::string::npos) << observer.Failures[0];
    kf::RemoveFile(source);
}

} // namespace
