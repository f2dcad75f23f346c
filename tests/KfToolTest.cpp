#include "builder/build/Script.h"
#include "tools/kftool/Help.h"
#include "tools/kftool/HostText.h"
#include "tools/kftool/KfTool.h"
#include "tools/kftool/Signing.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace kf;
using kftest::ReadFileBytes;
using kftest::TTempDir;
using kftest::WriteFileBytes;

namespace {

struct TRun
{
    int Status;
    std::string Out;
    std::string Err;
};

template <class Command> TRun RunTool(Command command, const std::vector<std::string>& args)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int status = command(args);
    std::string out = testing::internal::GetCapturedStdout();
    return {status, out, testing::internal::GetCapturedStderr()};
}

// A package with a text entry, a binary file entry and a nested name.
void MakePackage(const TTempDir& dir, const std::string& path)
{
    WriteFileBytes(dir / "blob.bin", kftest::NoiseBytes(150000));
    TCompressionManager archive(path, true, false, false);
    archive.WriteEntryString("install.inf", "[title]\r\nDemo\r\n\r\n");
    archive.AddFile(dir / "blob.bin", "data\\lang\\blob.bin");
}

std::string Le32(int32_t v)
{
    uint8_t raw[4];
    EncodeLE32(v, raw);
    return std::string(reinterpret_cast<char*>(raw), 4);
}

} // namespace

TEST(KfTool, ListFindsTheTrailerOfASetupExecutable)
{
    TTempDir dir;
    MakePackage(dir, dir / "pkg.dat");
    std::string stub = "MZ" + std::string(5000, '\x90');
    WriteFileBytes(dir / "setup.exe", stub + ReadFileBytes(dir / "pkg.dat") + Le32(5002));

    TRun standalone = RunTool(kftool::RunList, {dir / "pkg.dat"});
    TRun setup = RunTool(kftool::RunList, {dir / "setup.exe"});
    EXPECT_EQ(standalone.Status, 0);
    EXPECT_EQ(setup.Status, 0) << setup.Err;
    EXPECT_EQ(setup.Out, standalone.Out);
    std::string first = standalone.Out.substr(0, standalone.Out.find('\n'));
    EXPECT_EQ(first.substr(0, 15), "install.inf\t17\t");
    EXPECT_EQ(first.substr(first.size() - 4), "\t268");
    EXPECT_NE(standalone.Out.find("data\\lang\\blob.bin\t150000\t"), std::string::npos);

    TRun forcedOff = RunTool(kftool::RunList, {"--no-trailer", dir / "setup.exe"});
    EXPECT_NE(forcedOff.Out, standalone.Out);
    TRun forcedOn = RunTool(kftool::RunList, {dir / "setup.exe", "--trailer"});
    EXPECT_EQ(forcedOn.Out, standalone.Out);
}

TEST(KfTool, CatWritesTheContentByteForByte)
{
    TTempDir dir;
    MakePackage(dir, dir / "pkg.dat");
    // Into a file opened in binary mode: a captured console would stop at the first
    // Ctrl-Z byte on Windows.
    std::FILE* out = std::fopen((dir / "cat.out").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    int status = kftool::RunCat({dir / "pkg.dat", "DATA\\LANG\\BLOB.BIN"}, out);
    std::fclose(out);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(ReadFileBytes(dir / "cat.out") == kftest::NoiseBytes(150000)) << "content differs";
    TRun missing = RunTool([](const std::vector<std::string>& a) { return kftool::RunCat(a); },
                           {dir / "pkg.dat", "nope"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("no entry named"), std::string::npos);
}

TEST(KfTool, ExtractRefusesNamesOutsideTheDirectory)
{
    TTempDir dir;
    {
        TCompressionManager archive(dir / "evil.dat", true, false, false);
        archive.WriteEntryString("..\\escaped.txt", "x");
        archive.WriteEntryString("C:\\Windows\\drive.txt", "x");
        archive.WriteEntryString("\\rooted.txt", "x");
        archive.WriteEntryString("data\\..\\..\\up.txt", "x");
        archive.WriteEntryString("data\\sub\\fine.txt", "fine");
    }
    std::string out = dir / "out";
    TRun run = RunTool(kftool::RunExtract, {dir / "evil.dat", out});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(ReadFileBytes(kftest::Join(kftest::Join(kftest::Join(out, "data"), "sub"), "fine.txt")), "fine");
    EXPECT_FALSE(FileExists(dir / "escaped.txt"));
    EXPECT_FALSE(FileExists(dir / "up.txt"));
    for (const char* name : {"..\\escaped.txt", "C:\\Windows\\drive.txt", "\\rooted.txt", "data\\..\\..\\up.txt"})
        EXPECT_NE(run.Err.find(std::string("refusing \"") + name), std::string::npos) << name;

    EXPECT_TRUE(kftool::SafeRelativeComponents("a\\\\b").size() == 2);
    EXPECT_TRUE(kftool::SafeRelativeComponents("a/../../b").empty());
    EXPECT_TRUE(kftool::SafeRelativeComponents("file:stream").empty());
    EXPECT_TRUE(kftool::SafeRelativeComponents("").empty());
    EXPECT_TRUE(kftool::SafeRelativeComponents("\\").empty());
}

// What is in the target folder stays as it was: an entry below a file, over a file, or
// through a link already there is reported and refused; the others are written.
TEST(KfTool, ExtractNeverOverwritesNorFollowsALink)
{
    TTempDir dir;
    std::string out = dir / "out", outside = dir / "outside";
    ASSERT_TRUE(ForceDirectories(out) && ForceDirectories(outside));
    WriteFileBytes(kftest::Join(out, "kept.txt"), "old");
    std::vector<std::string> refused = {"a\\b", "kept.txt"};
#ifndef _WIN32
    ASSERT_EQ(symlink(outside.c_str(), kftest::Join(out, "link").c_str()), 0);
    ASSERT_EQ(symlink(kftest::Join(outside, "made.txt").c_str(), kftest::Join(out, "dangling.txt").c_str()), 0);
    refused.push_back("link\\x.txt");
    refused.push_back("dangling.txt");
#endif
    {
        TCompressionManager archive(dir / "pkg.dat", true, false, false);
        archive.WriteEntryString("a", "file a");
        for (const std::string& name : refused)
            archive.WriteEntryString(name, "new");
        archive.WriteEntryString("fresh\\y.txt", "fine");
    }
    TRun run = RunTool(kftool::RunExtract, {dir / "pkg.dat", out});
    EXPECT_EQ(run.Status, 1);
    for (const std::string& name : refused)
        EXPECT_NE(run.Err.find("refusing \"" + name + "\""), std::string::npos) << name << ": " << run.Err;
    EXPECT_EQ(ReadFileBytes(kftest::Join(out, "a")), "file a");
    EXPECT_EQ(ReadFileBytes(kftest::Join(out, "kept.txt")), "old");
    EXPECT_EQ(ReadFileBytes(kftest::Join(kftest::Join(out, "fresh"), "y.txt")), "fine");
    EXPECT_EQ(ListDirectory(outside).size(), 2u); // "." and ".." only
}

// {} goes into the command bare, where kftool's own quoting of the path holds.
TEST(KfTool, SignRefusesATemplateThatQuotesThePath)
{
    for (const char* sound : {"sign {}", "osslsigncode -n 'Demo Tool' -in {} -out {}.x && mv {}.x {}",
                              "\"C:\\Program Files\\signtool.exe\" sign {}"})
        EXPECT_EQ(kftool::SignTemplateProblem(sound), "") << sound;
#ifndef _WIN32
    EXPECT_EQ(kftool::SignTemplateProblem("echo \\' {}"), ""); // /bin/sh: an apostrophe, no quote
#endif
    for (const char* quoting : {"sign \"{}\"", "sign '{}'", "sign \"--file={}\"", "sign 'a' \"b {}\"", "sign \\{}"})
        EXPECT_NE(kftool::SignTemplateProblem(quoting), "") << quoting;
}

TEST(KfTool, VerifyNamesEveryBadEntry)
{
    TTempDir dir;
    MakePackage(dir, dir / "pkg.dat");
    TRun sound = RunTool(kftool::RunVerify, {dir / "pkg.dat"});
    EXPECT_EQ(sound.Status, 0) << sound.Out;

    std::string bytes = ReadFileBytes(dir / "pkg.dat");
    std::string flipped = bytes;
    flipped[flipped.size() - 2] ^= 0x01; // inside the Adler-32 of the last entry
    WriteFileBytes(dir / "adler.dat", flipped);
    TRun adler = RunTool(kftool::RunVerify, {dir / "adler.dat"});
    EXPECT_EQ(adler.Status, 1);
    EXPECT_NE(adler.Out.find("data\\lang\\blob.bin: Adler-32 mismatch"), std::string::npos) << adler.Out;
    EXPECT_EQ(adler.Out.find("install.inf"), std::string::npos) << "sound entries are not listed";

    std::string wrongSize = bytes;
    wrongSize[260] = 18; // install.inf claims 18 bytes, its stream holds 17
    WriteFileBytes(dir / "size.dat", wrongSize);
    TRun size = RunTool(kftool::RunVerify, {dir / "size.dat"});
    EXPECT_EQ(size.Status, 1);
    EXPECT_NE(size.Out.find("install.inf: yields 17 bytes, OriginalSize is 18"), std::string::npos) << size.Out;

    // A truncated entry in the system's words, by verify, cat and extract alike; list
    // does not pass the cut archive off as whole.
    WriteFileBytes(dir / "cut.dat", bytes.substr(0, bytes.size() - 1000));
    TRun cut = RunTool(kftool::RunVerify, {dir / "cut.dat"});
    EXPECT_EQ(cut.Status, 1);
    EXPECT_NE(cut.Out.find("data\\lang\\blob.bin: Read beyond end of file\n"), std::string::npos) << cut.Out;
    std::FILE* sink = std::fopen((dir / "cat.out").c_str(), "wb");
    testing::internal::CaptureStderr();
    int catStatus = kftool::RunCat({dir / "cut.dat", "data\\lang\\blob.bin"}, sink);
    std::string catErr = testing::internal::GetCapturedStderr();
    std::fclose(sink);
    EXPECT_EQ(catStatus, 1);
    EXPECT_EQ(catErr, "kftool: " + (dir / "cut.dat") + ": data\\lang\\blob.bin: Read beyond end of file\n");
    TRun extract = RunTool(kftool::RunExtract, {dir / "cut.dat", dir / "out"});
    EXPECT_EQ(extract.Status, 1);
    EXPECT_NE(extract.Err.find("blob.bin: Read beyond end of file"), std::string::npos) << extract.Err;
    TRun list = RunTool(kftool::RunList, {dir / "cut.dat"});
    EXPECT_EQ(list.Status, 1);
    EXPECT_NE(list.Err.find("the entries end at"), std::string::npos) << list.Err;
}

TEST(KfTool, ErrorsAreOneLineWithTheSystemMessage)
{
    TTempDir dir;
    WriteFileBytes(dir / "tiny.exe", "MZ");
    TRun run = RunTool(kftool::RunList, {"--trailer", dir / "tiny.exe"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "kftool: " + (dir / "tiny.exe") + ": I/O error 131\n");
    TRun missing = RunTool(kftool::RunVerify, {dir / "none.exe"});
    EXPECT_EQ(missing.Err, "kftool: " + (dir / "none.exe") + ": File not found\n");
    EXPECT_EQ(RunTool(kftool::RunList, {}).Status, 2);
    EXPECT_EQ(RunTool(kftool::RunList, {"--bogus", "x"}).Status, 2);
}

TEST(KfTool, ScriptSetCreatesChangesAndRefuses)
{
    TTempDir dir;
    std::string script = dir / "s.kfs";
    TRun created = RunTool(kftool::RunScript, {"set", script, "TITLE=Demo Tool", "basedir=Custom",
                                           "ADDFILESLIST=C:\\a.txt|C:\\b c.txt", "LAUNCH=0", "COLORTOP=15"});
    ASSERT_EQ(created.Status, 0) << created.Err;
    TInstallSettings s;
    TSettingsRecord record(s);
    LoadScript(script, record);
    EXPECT_EQ(s.Title, "Demo Tool");
    EXPECT_EQ(s.BaseDir, 6);
    EXPECT_EQ(s.AddFilesList, (std::vector<std::string>{"C:\\a.txt", "C:\\b c.txt"}));
    EXPECT_FALSE(s.Launch);
    EXPECT_EQ(s.ColorTop, 15);
    EXPECT_EQ(s.Dir, "My Application") << "unnamed keys keep the defaults";

    TRun changed = RunTool(kftool::RunScript, {"set", script, "DIR=Demo"});
    ASSERT_EQ(changed.Status, 0);
    TRun shown = RunTool(kftool::RunScript, {"show", script});
    EXPECT_NE(shown.Out.find("TITLE=Demo Tool\nDIR=Demo\nURL=\n"), std::string::npos) << shown.Out;
    EXPECT_NE(shown.Out.find("ADDFILESLIST=C:\\a.txt|C:\\b c.txt\n"), std::string::npos);
    EXPECT_NE(shown.Out.find("BASEDIR=6\n"), std::string::npos);

    std::string before = ReadFileBytes(script);
    for (const char* bad : {"NOPE=1", "LAUNCH=yes", "COLORTOP=16", "COLORTOP= 3", "BASEDIR=7", "TITLE", "=x",
                            "ADDFILESLIST=a||b"})
    {
        TRun refused = RunTool(kftool::RunScript, {"set", script, bad});
        EXPECT_EQ(refused.Status, 2) << bad;
        EXPECT_FALSE(refused.Err.empty()) << bad;
    }
    EXPECT_EQ(ReadFileBytes(script), before) << "a refused change writes nothing";
}

#ifndef _WIN32
namespace {

// Code page 1252 for one test, as kftool's main sets it by default.
struct TWesternCodePage
{
    TWesternCodePage() { kftool::UseCodePage(1252); }
    ~TWesternCodePage() { kftool::UseRawBytes(); }
};

} // namespace

TEST(KfToolCodePage, OptionsChooseTheCodePageOrRawBytes)
{
    std::vector<std::string> args = {"--codepage", "1250", "list", "x.exe"};
    EXPECT_EQ(kftool::TakeTextOptions(args), "");
    EXPECT_EQ(args, (std::vector<std::string>{"list", "x.exe"}));
    EXPECT_EQ(kftool::FromCommandLine("\u0141\u00f3d\u017a"), "\xA3\xF3" "d\x9F");
    args = {"list", "x.exe"};
    EXPECT_EQ(kftool::TakeTextOptions(args), "");
    EXPECT_EQ(kftool::FromCommandLine("Caf\u00e9"), "Caf\xE9") << "1252 by default";
    args = {"list", "--raw", "x.exe"};
    EXPECT_EQ(kftool::TakeTextOptions(args), "");
    EXPECT_EQ(kftool::FromCommandLine("Caf\u00e9"), "Caf\u00e9");
    for (std::vector<std::string> bad : {std::vector<std::string>{"--codepage=932"}, {"--codepage", "x"},
                                         {"--raw", "--codepage", "1250"}, {"--codepage"}})
        EXPECT_NE(kftool::TakeTextOptions(bad), "") << bad[0];
    kftool::UseRawBytes();
}

TEST(KfToolCodePage, TextsAndNamesAreWrittenInTheCodePageAndShownAsTyped)
{
    TTempDir dir;
    TWesternCodePage western;
    std::vector<std::string> set = {"set", dir / "s.kfs", "TITLE=Caf\u00e9"};
    ASSERT_EQ(kftool::CommandLineToCodePage(set), "");
    ASSERT_EQ(RunTool(kftool::RunScript, set).Status, 0);
    TInstallSettings settings;
    TSettingsRecord record(settings);
    LoadScript(dir / "s.kfs", record);
    EXPECT_EQ(settings.Title, "Caf\xE9");
    TRun shown = RunTool(kftool::RunScript, {"show", dir / "s.kfs"});
    EXPECT_EQ(shown.Out.substr(0, shown.Out.find('\n')), "TITLE=Caf\u00e9");
    std::vector<std::string> chinese = {"TITLE=\u4e2d"};
    EXPECT_EQ(kftool::CommandLineToCodePage(chinese), "TITLE=\u4e2d: U+4E2D cannot be written in code page 1252");

    {
        TCompressionManager archive(dir / "pkg.dat", true, false, false);
        archive.WriteEntryString("data\\R\xE9sum\xE9.txt", "r");
    }
    TRun listed = RunTool(kftool::RunList, {dir / "pkg.dat"});
    EXPECT_EQ(listed.Out.substr(0, listed.Out.find('\t')), "data\\R\u00e9sum\u00e9.txt");
    ASSERT_EQ(RunTool(kftool::RunExtract, {dir / "pkg.dat", dir / "out"}).Status, 0);

    kftool::UseRawBytes();
    EXPECT_EQ(ReadFileBytes(dir / "out/data/R\u00e9sum\u00e9.txt"), "r") << "the UTF-8 name on disk";
    shown = RunTool(kftool::RunScript, {"show", dir / "s.kfs"});
    EXPECT_EQ(shown.Out.substr(0, shown.Out.find('\n')), "TITLE=Caf\xE9") << "raw bytes";
}
#endif

// Each command's --help names every option the command takes; the general usage names
// every command and points to the commands' own help.
TEST(KfTool, EveryCommandsHelpNamesItsOptions)
{
    const std::vector<std::string> trailer = {"--trailer", "--no-trailer"};
    const struct
    {
        const char* Command;
        std::vector<std::string> Options;
    } cases[] = {
        {"list", trailer},
        {"cat", trailer},
        {"extract", trailer},
        {"verify", trailer},
        {"script", {"show", "set"}},
        {"build", {"-C DIR", "-j N", "--version X", "--publisher Y", "--sign \"COMMAND\""}},
    };
    const std::string general = kftool::kGeneralUsage;
    EXPECT_NE(general.find("COMMAND --help"), std::string::npos);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.Command);
        EXPECT_NE(general.find(std::string("  ") + c.Command + " "), std::string::npos);
        const char* help = kftool::CommandHelp(c.Command);
        ASSERT_NE(help, nullptr);
        std::string text = help;
        EXPECT_EQ(text.rfind(std::string("usage: kftool ") + c.Command + " ", 0), 0u);
        std::vector<std::string> options = c.Options;
        options.push_back("--help");
#ifndef _WIN32
        options.insert(options.end(), {"--codepage N", "--raw"});
#endif
        for (const std::string& option : options)
            EXPECT_NE(text.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(kftool::CommandHelp("lsit"), nullptr);
    EXPECT_TRUE(kftool::AsksForHelp({"setup.exe", "-h"}));
    EXPECT_FALSE(kftool::AsksForHelp({"setup.exe", "--helpful"}));
}
