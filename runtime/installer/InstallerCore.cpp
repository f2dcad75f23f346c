#include "runtime/installer/InstallerCore.h"

#include "runtime/installer/UninstallEntry.h"

#include "platform/Error.h"
#include "platform/File.h"
#include "runtime/common/ShellInstallLib.h"
#include "runtime/common/ShortcutsLib.h"

#include <cmath>
#include <exception>

namespace kf {
namespace installer {

const char* const kApplicationTitle = "Kitforge";
const char* const kCancelCaption = "Cancel Installation";
const char* const kLicenseAgreeText = "If you agree to the terms of this license, press \"Yes\" to continue "
                                      "installation. Otherwise, press \"No\" to cancel the installation.";
const char* const kInstallingFilesText = "Installing files...";
const char* const kCreatingGroupsText = "Creating program groups...";
const char* const kCancellingText = "Cancelling installation...";
const char* const kInsufficientLabelText = "There is insufficient disk space on this drive.";
const char* const kInsufficientCaption = "Insufficient Disk Space";
const char* const kErrorCaption = "Error";
const char* const kNoPrinterText =
    "No printer is currently selected. Would you like to launch the Windows Add Printer Wizard?";
const char* const kNoPrinterCaption = "No Printer";
const char* const kAddPrinterCommand = "Rundll32.exe shell32.dll,SHHelpShortcuts_RunDLL AddPrinter";
const char* const kSelectDirCaption = "Select Install Directory";
const char* const kNoDirectoryText = "You have not specified a directory. Please specify a directory, or press Cancel.";
const char* const kNoDirectoryCaption = "No Directory Selected";
const char* const kCannotCreateText = "The path you specified does not exist, and could not be created. Please "
                                      "enter a valid path, select an existing directory, or press Cancel.";
const char* const kCannotCreateCaption = "Could Not Create Path";
const char* const kDamagedSetupText = "This setup file is damaged or incomplete, so nothing can be installed "
                                      "from it and nothing has been changed on your computer.\r\n\r\n"
                                      "Please download the setup file again.";
const char* const kDamagedSetupCaption = "Damaged Setup File";
const char* const kNextCaption = "&Next >>";
const char* const kPreviousCaption = "<< &Previous ";
const char* const kYesCaption = "&Yes";
const char* const kNoCaption = "&No";
const char* const kLogName = "uninstall.log";

namespace {

const std::string CR = "\r";

} // namespace

std::string WelcomeText(const std::string& title)
{
    return "Welcome to " + title + " setup!" + CR + CR + "This program will install " + title + " on your computer." +
           CR + CR +
           "We recommend that you close down all other running programs before proceeding with this "
           "installation." +
           CR + CR + "To proceed, press the \"Next\" button.";
}

std::string WhereToInstallText(const std::string& title)
{
    return "Please select the location where you would like to install " + title + ", then press Next.";
}

std::string CompleteText(const std::string& title, bool launchVisible, bool desktopVisible)
{
    std::string text = "Installation of " + title + " has successfully completed." + CR + CR;
    if (launchVisible)
        text += "You may now run " + title + "." + CR + CR;
    if (desktopVisible)
        text += "Please choose if you want a desktop shortcut created.";
    return text;
}

std::string LicenseRefusalQuestion(const std::string& title)
{
    return "If you do not agree to the license and disclaimer, you may not install " + title + "." + CR + CR +
           "Are you sure you wish to cancel installing " + title + "?";
}

std::string AbortQuestion(const std::string& title)
{
    return "The installation is currently in progress. Cancelling now will abort the installation." + CR + CR +
           "Are you sure you wish to abort the installation of " + title + "?";
}

std::string CloseQuestion(const std::string& title)
{
    return "Closing this program will cancel the installation. Are you sure you wish to cancel installing " + title +
           "?";
}

std::string InsufficientSpaceText(const std::string& title)
{
    return "There is insufficient disk space free on the selected drive to install " + title + "." + CR + CR +
           "Please select a different drive, or cancel the installation, free up disk space, and restart this "
           "installation program.";
}

std::string InstallErrorText(const std::string& destination)
{
    return "An error occurred while installing the file: \"" + destination + "\"." + CR + CR +
           "The installation cannot proceed.";
}

std::string ExtractingText(const std::string& target)
{
    return "Extracting " + target + "...";
}
std::string RemovingText(const std::string& value)
{
    return "Removing " + value + "...";
}
std::string RunningText(const std::string& line)
{
    return "Running external program " + line + "...";
}
std::string PrintJobTitle(const std::string& title)
{
    return title + " License Agreement";
}

std::string KilobytesText(int64_t bytes)
{
    return std::to_string(bytes / 1024) + " kb";
}

std::string ResolveBaseDir(const std::string& value, const TBaseDirectories& dirs)
{
    if (value == "%PROGRAM FILES%")
        return AddBackslash(dirs.ProgramFiles);
    if (value == "%WINDOWS%")
        return AddBackslash(dirs.Windows);
    if (value == "%SYSTEM%")
        return AddBackslash(dirs.Windows) + "SYSTEM32\\";
    if (value == "%C ROOT%")
        return "C:\\";
    if (value == "%DESKTOP%")
        return AddBackslash(dirs.Desktop);
    if (value == "%FONTS%")
        return AddBackslash(dirs.Fonts);
    return std::string();
}

int32_t ParseColor(const std::string& text, int32_t fallback)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return fallback;
    int64_t value = 0;
    for (; i < text.size(); ++i)
    {
        if (text[i] < '0' || text[i] > '9')
            return fallback;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(2147483648))
            return fallback;
    }
    if (negative)
        value = -value;
    if (value > 2147483647 || value < -int64_t(2147483648))
        return fallback;
    return static_cast<int32_t>(value);
}

uint32_t BlendColors(uint32_t c1, uint32_t c2, double f)
{
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8)
    {
        uint32_t a = (c1 >> shift) & 0xFF, b = (c2 >> shift) & 0xFF;
        uint32_t channel = static_cast<uint32_t>(std::trunc(a * f)) + static_cast<uint32_t>(std::trunc(b * (1 - f)));
        result |= (channel & 0xFF) << shift;
    }
    return result;
}

std::vector<TBand> GradientBands(uint32_t startColor, uint32_t endColor, int steps, int height)
{
    std::vector<TBand> bands;
    if (steps <= 0)
        return bands;
    for (int i = 0; i < steps; ++i)
    {
        // One band is all start colour; the formula would divide by zero.
        double f = steps > 1 ? 1.0 - static_cast<double>(i) / (steps - 1) : 1.0;
        int top = static_cast<int>(int64_t(height) * i / steps);
        int bottom = static_cast<int>(int64_t(height) * (i + 1) / steps);
        bands.push_back({top, bottom, BlendColors(startColor, endColor, f)});
    }
    return bands;
}

int64_t EstimateSpace(const TINFReader& description, const TCompressionManager& package)
{
    int64_t sum = 0;
    for (const std::string& line : description.ReadSection("files"))
        sum += int64_t(package.GetEntrySize(SplitValue(line).first)) + 4096;
    return static_cast<int64_t>(std::trunc(1.1 * static_cast<double>(sum)));
}

int DriveNumberFor(const std::string& path)
{
    if (path.size() > 2 && path[1] == ':')
    {
        char letter = path[0];
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
        if (letter >= 'A' && letter <= 'Z')
            return letter - 'A' + 1;
    }
    return 0;
}

TAncestor FindExistingAncestor(const std::string& installDir, IInstallSystem& system)
{
    std::string existing = installDir;
    // ParentDir always shortens, and the empty path ends the climb: a location on a
    // missing drive or a relative one has no existing ancestor.
    while (!existing.empty() && !system.DirectoryExists(existing))
        existing = ParentDir(existing);
    std::string relative = installDir.substr(existing.size());
    if (!relative.empty() && relative.front() == '\\')
        relative.erase(0, 1);
    if (!relative.empty() && relative.back() == '\\')
        relative.pop_back();
    return {existing, relative};
}

std::string DirectoryPart(const std::string& path)
{
    size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

TStepChange NextStepChange(int stepIndex, bool hasLicense)
{
    TStepChange change;
    switch (stepIndex)
    {
    case 0:
        change.PreviousVisible = 1;
        if (hasLicense)
        {
            change.NewStep = 1;
            change.Page = 1;
            change.NextCaption = kYesCaption;
            change.PreviousCaption = kNoCaption;
            change.PrintVisible = 1;
        }
        else
        {
            change.NewStep = 2;
            change.Page = 2;
        }
        break;
    case 1:
        change.NewStep = 2;
        change.Page = 2;
        change.PrintVisible = 0;
        change.NextCaption = kNextCaption;
        change.PreviousCaption = kPreviousCaption;
        change.SpaceTimer = 1;
        break;
    case 2:
        change.SpaceTimer = 0;
        change.Action = TStepAction::SpaceCheckAndCopy;
        break;
    case 3:
        change.Action = TStepAction::GroupStep;
        break;
    case 4:
        change.NewStep = 5;
        change.Page = 5;
        change.FinishVisible = 1;
        change.NextVisible = change.PreviousVisible = change.CancelVisible = 0;
        break;
    case 5:
        change.Action = TStepAction::Finish;
        break;
    }
    return change;
}

TStepChange PreviousStepChange(int stepIndex, bool hasLicense)
{
    TStepChange change;
    switch (stepIndex)
    {
    case 1:
        change.Action = TStepAction::ConfirmRefusal;
        break;
    case 2:
        change.SpaceTimer = 0;
        if (hasLicense)
        {
            change.NewStep = 1;
            change.Page = 1;
            change.PrintVisible = 1;
            change.NextCaption = kYesCaption;
            change.PreviousCaption = kNoCaption;
        }
        else
        {
            change.NewStep = 0;
            change.Page = 0;
            change.PreviousVisible = 0;
        }
        break;
    }
    return change;
}

bool CheckSetupPackage(const std::string& path)
{
    try
    {
        TFile file(path, TFileMode::OpenRead);
        int64_t size = file.Size();
        if (size < kTrailerSize)
            return false;
        uint8_t raw[kEntryHeaderSize];
        file.Seek(size - kTrailerSize);
        file.ReadExact(raw, kTrailerSize);
        int64_t base = DecodeLE32(raw);
        int64_t end = size - kTrailerSize;
        if (base < 0 || base >= end)
            return false;
        bool description = false;
        int64_t position = base;
        while (position < end)
        {
            if (end - position < kEntryHeaderSize)
                return false;
            file.Seek(position);
            file.ReadExact(raw, kEntryHeaderSize);
            TArchiveEntryHeader header = DecodeEntryHeader(raw);
            if (header.PackedSize < 0 || header.OriginalSize < 0 ||
                header.DataOffset != position - base + kEntryHeaderSize ||
                header.PackedSize > end - position - kEntryHeaderSize)
                return false;
            if (UpperCaseAscii(header.NameString()) == "INSTALL.INF")
                description = true;
            position += kEntryHeaderSize + int64_t(header.PackedSize);
        }
        return description;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

std::string BrowseStartFolder(const std::string& path, IInstallSystem& system)
{
    std::string folder = path;
    while (!folder.empty() && !(folder.back() == '\\' && system.DirectoryExists(folder)))
        folder.pop_back();
    return folder;
}

bool FindBitmapLayout(const std::string& bytes, size_t& infoOffset, size_t& bitsOffset)
{
    // BITMAPFILEHEADER (14 bytes) then a BITMAPINFOHEADER of at least 40 bytes.
    auto le32 = [&bytes](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
    };
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    uint32_t headerSize = le32(14);
    uint32_t bits = le32(10);
    if (headerSize < 40 || headerSize > bytes.size() - 14 || bits < 14 + headerSize || bits >= bytes.size())
        return false;
    int32_t width = static_cast<int32_t>(le32(18));
    int32_t height = static_cast<int32_t>(le32(22));
    uint16_t bitCount = static_cast<uint16_t>(static_cast<uint8_t>(bytes[28]) | static_cast<uint8_t>(bytes[29]) << 8);
    uint32_t compression = le32(30);
    if (width <= 0 || height == 0 || height == INT32_MIN || width > 16384 || bitCount == 0 || bitCount > 32)
        return false;
    uint32_t colors = le32(46);
    uint64_t palette = bitCount <= 8 ? uint64_t(colors ? colors : (1u << bitCount)) * 4 : 0;
    if (compression == 3) // BI_BITFIELDS: three masks after a 40-byte header
        palette = headerSize == 40 ? 12 : 0;
    else if (compression != 0)
        return false; // only uncompressed bitmaps: their size can be checked here
    if (14 + uint64_t(headerSize) + palette > bits)
        return false;
    uint64_t stride = (uint64_t(width) * bitCount + 31) / 32 * 4;
    uint64_t rows = height < 0 ? uint64_t(-int64_t(height)) : uint64_t(height);
    if (stride * rows > bytes.size() - bits)
        return false;
    infoOffset = 14;
    bitsOffset = bits;
    return true;
}

std::vector<TUndoAction> UndoActions(const std::string& kind, const std::string& value)
{
    std::vector<TUndoAction> actions;
    if (kind == "File")
        actions.push_back({true, value});
    else if (kind == "Directory")
    {
        auto [left, right] = SplitValue(value);
        if (value.find(';') == std::string::npos)
            return actions; // no relative part: nothing was recorded as created
        while (!left.empty())
        {
            actions.push_back({false, right});
            left = ParentDir(left);
            right = ParentDir(right);
        }
    }
    return actions;
}

TInstaller::TInstaller(const std::string& setupPath)
    : TInstaller(std::make_unique<TCompressionManager>(setupPath, false, true, true))
{}

TInstaller::TInstaller(std::unique_ptr<TCompressionManager> package) : FPackage(std::move(package))
{
    if (FPackage)
        FDescription.LoadText(*FPackage->ReadEntryStream("install.inf"));
}

void TInstaller::ReadSettings()
{
    if (HasSection("title"))
        Title = FDescription.ReadValue("title");
    if (HasSection("background start color"))
        StartColor = static_cast<uint32_t>(
            ParseColor(FDescription.ReadValue("background start color"), static_cast<int32_t>(StartColor)));
    if (HasSection("background end color"))
        EndColor = static_cast<uint32_t>(
            ParseColor(FDescription.ReadValue("background end color"), static_cast<int32_t>(EndColor)));
    if (HasSection("image"))
        ImageName = FDescription.ReadValue("image");
}

void TInstaller::StartLog(const std::string& relative)
{
    std::string logPath = AddBackslash(InstallDir) + kLogName;
    FLog = std::make_unique<TLogFile>(logPath, true);
    FLog->AddTitleEntry(Title);
    if (!relative.empty())
        FLog->AddDirectoryEntry(InstallDir, relative);
    FLog->AddFileEntry(logPath);
}

void TInstaller::CreatePath(const std::string& directory, IInstallSystem& system)
{
    std::string rest = RemoveDoubleBackslash(directory);
    std::string built;
    while (!rest.empty())
    {
        size_t cut = rest.find('\\');
        std::string component = cut == std::string::npos ? rest : rest.substr(0, cut + 1);
        rest.erase(0, component.size());
        built += component;
        if (!system.DirectoryExists(built))
        {
            system.ForceDirectories(built);
            if (FLog)
                FLog->AddDirectoryEntry(built, component);
        }
    }
}

TCopyResult TInstaller::Copy(const std::string& location, IInstallSystem& system, IInstallView& view)
{
    InstallDir = location;
    TAncestor ancestor = FindExistingAncestor(InstallDir, system);
    system.ForceDirectories(InstallDir);
    try
    {
        StartLog(ancestor.Relative);
    }
    catch (const std::exception& error)
    {
        FLog.reset();
        // What this step made for the log is taken away again; nothing else exists yet.
        if (!ancestor.Relative.empty())
            UndoEntry("Directory", ancestor.Relative + ";" + InstallDir, system);
        view.ShowLogError(error.what());
        return TCopyResult::LogFailed;
    }
    Busy = true;

    for (const std::string& line : FDescription.ReadSection("directories"))
    {
        auto [left, right] = SplitValue(line);
        std::string directory = AddBackslash(InstallDir) + AddBackslash(left) + right;
        system.ForceDirectories(directory);
        FLog->AddDirectoryEntry(directory, right);
    }

    view.CopyStarted();
    StepIndex = 3;
    struct TProgressGuard
    {
        TCompressionManager& Package;
        ~TProgressGuard() { Package.OnProgress = nullptr; }
    } progressGuard{*FPackage};
    FPackage->OnProgress = [&view](TCompressionManager&, int32_t position, int32_t size) {
        view.SetFileProgress(position, size);
        view.Pump();
    };

    std::vector<std::string> files = FDescription.ReadSection("files");
    int32_t count = static_cast<int32_t>(files.size());
    view.SetTotalProgress(0, count - 1);
    view.Pump();
    // Files come folder by folder: a folder made or found for one file is there for the next,
    // and asking again for every level of it cost more than writing a small file.
    std::string preparedDirectory;
    for (int32_t i = 0; i < count; ++i)
    {
        auto [entry, target] = SplitValue(files[i]);
        std::string destination = AddBackslash(InstallDir) + target;
        view.SetInstallingFile(ExtractingText(target));
        view.Pump();
        // A Cancel confirmed while the label repainted: nothing of this file exists yet.
        if (Cancelled)
            return EndCopyCancelled(system, view);
        std::string directory = DirectoryPart(RemoveDoubleBackslash(destination));
        if (directory != preparedDirectory)
        {
            CreatePath(directory, system);
            preparedDirectory = directory;
        }
        FLog->AddFileEntry(destination); // before writing, so a roll-back gets a partial file too

        bool failed = false;
        InProgress = true;
        try
        {
            FPackage->ExtractFile(entry, destination);
        }
        catch (const std::exception&)
        {
            failed = true;
        }
        InProgress = false;
        if (failed)
        {
            view.ShowInstallError(InstallErrorText(destination));
            Failed = true;
            Cancelled = true;
            return EndCopyCancelled(system, view);
        }
        if (Cancelled)
            return EndCopyCancelled(system, view);
        view.SetTotalProgress(i + 1, count - 1);
        view.Pump();
    }
    if (Cancelled)
        return EndCopyCancelled(system, view);
    Busy = false;
    return TCopyResult::Completed;
}

void TInstaller::CreateIcons(const std::vector<std::string>& lines, const std::string& folder, IInstallSystem& system)
{
    for (const std::string& line : lines)
    {
        auto [caption, target] = SplitValue(line);
        std::string base = AddBackslash(folder) + caption;
        std::string created =
            IsURL(target) ? system.CreateShortcut(base, target, std::string())
                          : system.CreateShortcut(base, AddBackslash(InstallDir) + target, AddBackslash(InstallDir));
        if (!created.empty() && FLog)
            FLog->AddFileEntry(created);
    }
}

void TInstaller::GroupStep(IInstallSystem& system, IInstallView& view)
{
    view.GroupStepStarted();
    StepIndex = 4;
    std::string group = FDescription.ReadValue("program group");
    std::string groupDir = system.GroupDir(group);
    if (FLog)
        FLog->AddDirectoryEntry(groupDir, group);
    CreateIcons(FDescription.ReadSection("group icons"), groupDir, system);
    system.RegisterUninstall(Title, RegistrationFor(Title, InstallDir, FDescription, FPackage.get()));
    for (const std::string& line : FDescription.ReadSection("run and wait"))
    {
        view.SetCompleting(RunningText(line));
        view.Pump();
        system.RunAndWait(AddBackslash(InstallDir) + line);
    }
    view.BringToFront();
}

void TInstaller::Finish(bool desktopIcons, bool launchNow, IInstallSystem& system)
{
    if (desktopIcons)
    {
        std::string desktop = system.CommonDesktopDir();
        // Without an all-users desktop the shortcut would land in the current folder.
        if (!desktop.empty())
            CreateIcons(FDescription.ReadSection("desktop icons"), desktop, system);
    }
    Finished = true;
    if (launchNow)
        system.Launch(AddBackslash(InstallDir) + FDescription.ReadValue("launch"), InstallDir);
}

TCopyResult TInstaller::EndCopyCancelled(IInstallSystem& system, IInstallView& view)
{
    Busy = false;
    AbortInstall(system, view);
    return TCopyResult::EndProgram;
}

bool TInstaller::AbortInstall(IInstallSystem& system, IInstallView& view)
{
    Cancelled = true;
    if (InProgress)
    {
        FPackage->SetCancel(true);
        return false;
    }
    // Between two files of the copy: the loop sees Cancelled when the pump returns and
    // rolls back there, so that it never goes on writing after the roll-back.
    if (Busy)
        return false;
    try
    {
        RollBack(system, view);
    }
    catch (const std::exception&)
    {}
    return true;
}

void TInstaller::RollBack(IInstallSystem& system, IInstallView& view)
{
    if (!FLog)
        return;
    int32_t count = FLog->Count();
    view.SetTotalProgress(count, count);
    view.SetFileProgress(1, 1);
    view.Pump();
    std::string kind, value;
    int32_t left = count;
    while (FLog->ReadPrevious(kind, value))
    {
        view.SetTotalLabel(kCancellingText);
        view.SetInstallingFile(RemovingText(value));
        view.SetFileProgress(1, 1);
        view.Pump();
        UndoEntry(kind, value, system);
        view.SetFileProgress(0, 1);
        view.SetTotalProgress(--left, count);
        view.Pump();
    }
}

void TInstaller::UndoEntry(const std::string& kind, const std::string& value, IInstallSystem& system)
{
    for (const TUndoAction& action : UndoActions(kind, value))
    {
        if (action.IsFile)
            system.DeleteFileAt(action.Path);
        else
            system.RemoveDirectoryAt(action.Path);
    }
}

} // namespace installer
} // namespace kf
