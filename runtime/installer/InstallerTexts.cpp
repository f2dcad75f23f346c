#include "runtime/installer/InstallerTexts.h"

#include "platform/Text.h"

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

// CR below is a lone carriage return: "\r" inside the literals.
std::string WelcomeText(const std::string& title)
{
    return Concat({"Welcome to ", title, " setup!\r\rThis program will install ", title,
                   " on your computer.\r\r"
                   "We recommend that you close down all other running programs before proceeding with this "
                   "installation.\r\r"
                   "To proceed, press the \"Next\" button."});
}

std::string WhereToInstallText(const std::string& title)
{
    return Concat({"Please select the location where you would like to install ", title, ", then press Next."});
}

std::string CompleteText(const std::string& title, bool launchVisible, bool desktopVisible)
{
    std::string text = Concat({"Installation of ", title, " has successfully completed.\r\r"});
    if (launchVisible)
        text += Concat({"You may now run ", title, ".\r\r"});
    if (desktopVisible)
        text += "Please choose if you want a desktop shortcut created.";
    return text;
}

std::string LicenseRefusalQuestion(const std::string& title)
{
    return Concat({"If you do not agree to the license and disclaimer, you may not install ", title,
                   ".\r\rAre you sure you wish to cancel installing ", title, "?"});
}

std::string AbortQuestion(const std::string& title)
{
    return Concat({"The installation is currently in progress. Cancelling now will abort the installation.\r\r"
                   "Are you sure you wish to abort the installation of ",
                   title, "?"});
}

std::string CloseQuestion(const std::string& title)
{
    return Concat({"Closing this program will cancel the installation. Are you sure you wish to cancel installing ",
                   title, "?"});
}

std::string InsufficientSpaceText(const std::string& title)
{
    return Concat({"There is insufficient disk space free on the selected drive to install ", title,
                   ".\r\rPlease select a different drive, or cancel the installation, free up disk space, and restart "
                   "this installation program."});
}

std::string InstallErrorText(const std::string& destination)
{
    return Concat({"An error occurred while installing the file: \"", destination,
                   "\".\r\rThe installation cannot proceed."});
}

std::string RollBackIncompleteText(bool atRestart, const std::string& logPath)
{
    std::string text = "Some files of the installation could not be removed.";
    if (atRestart)
        return text + "\r\rThey will be removed when Windows restarts.";
    if (!logPath.empty())
        return Concat({text, "\r\rThey are listed in the uninstall log \"", logPath, "\"."});
    return text;
}

std::string ExtractingText(const std::string& target)
{
    return Concat({"Extracting ", target, "..."});
}
std::string RemovingText(const std::string& value)
{
    return Concat({"Removing ", value, "..."});
}
std::string RunningText(const std::string& line)
{
    return Concat({"Running external program ", line, "..."});
}
std::string PrintJobTitle(const std::string& title)
{
    return Concat({title, " License Agreement"});
}

std::string KilobytesText(int64_t bytes)
{
    return std::to_string(bytes / 1024) + " kb";
}

} // namespace installer
} // namespace kf
