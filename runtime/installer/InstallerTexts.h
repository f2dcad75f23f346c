// Every text the installer shows, exactly as the user sees it: captions, fixed labels
// and the messages that carry the title or a path. CR in them is a lone carriage
// return, as the labels and message boxes show it.
#pragma once

#include <cstdint>
#include <string>

namespace kf {
namespace installer {

extern const char* const kApplicationTitle;       // "Kitforge"
extern const char* const kCancelCaption;          // "Cancel Installation"
extern const char* const kLicenseAgreeText;       // lblLicenseAgree
extern const char* const kInstallingFilesText;    // "Installing files..."
extern const char* const kCreatingGroupsText;     // "Creating program groups..."
extern const char* const kCancellingText;         // "Cancelling installation..."
extern const char* const kInsufficientLabelText;  // lblInsufficientDiskSpace
extern const char* const kInsufficientCaption;    // "Insufficient Disk Space"
extern const char* const kErrorCaption;           // "Error"
extern const char* const kNoPrinterText;          // the "No Printer" question
extern const char* const kNoPrinterCaption;       // "No Printer"
extern const char* const kAddPrinterCommand;      // the Add Printer wizard's command line
extern const char* const kSelectDirCaption;       // "Select Install Directory"
extern const char* const kNoDirectoryText;        // Browse: empty path
extern const char* const kNoDirectoryCaption;     // "No Directory Selected"
extern const char* const kCannotCreateText;       // Browse: path not creatable
extern const char* const kCannotCreateCaption;    // "Could Not Create Path"
extern const char* const kDamagedSetupText;       // the setup file is damaged
extern const char* const kDamagedSetupCaption;
extern const char* const kNextCaption;            // "&Next >>"
extern const char* const kPreviousCaption;        // "<< &Previous "
extern const char* const kYesCaption;             // "&Yes"
extern const char* const kNoCaption;              // "&No"

std::string WelcomeText(const std::string& title);
std::string WhereToInstallText(const std::string& title);
std::string CompleteText(const std::string& title, bool launchVisible, bool desktopVisible);
std::string LicenseRefusalQuestion(const std::string& title);
std::string AbortQuestion(const std::string& title);  // Cancel while a file is extracted
std::string CloseQuestion(const std::string& title);  // closing the wizard or background
std::string InsufficientSpaceText(const std::string& title);
std::string InstallErrorText(const std::string& destination);
// A roll-back that could not remove everything: what happens to the rest, at the next
// restart, or as the log names it (logPath, "" when even the log could not be written).
std::string RollBackIncompleteText(bool atRestart, const std::string& logPath);
std::string ExtractingText(const std::string& target);  // "Extracting " target "..."
std::string RemovingText(const std::string& value);     // "Removing " value "..."
std::string RunningText(const std::string& line);       // "Running external program " line "..."
std::string PrintJobTitle(const std::string& title);    // title + " License Agreement"
// "<bytes div 1024> kb", truncated toward zero (so -1 gives "0 kb").
std::string KilobytesText(int64_t bytes);

} // namespace installer
} // namespace kf
