// Shortcut files for the Start-menu group and the desktop: ".URL" text files for web
// addresses, ".LNK" files through the shell link object for everything else.
#pragma once

#include <string>

#ifdef _WIN32
struct IShellLinkA;
struct IPersistFile;
#endif

namespace kf {

// True when the target, upper-cased, begins with "HTTP://", "HTTPS://" or "FTP://".
bool IsURL(const std::string& target);

// Writes fileName as the two lines "[InternetShortcut]" and "URL=" + target (CR LF
// each). Returns false on any error and leaves no partly written file behind.
bool WriteURLFile(const std::string& fileName, const std::string& target);

#ifdef _WIN32

// The system's shell link object (CLSID_ShellLink) seen through IShellLinkA and
// IPersistFile. The calling thread must have COM initialised (see TComApartment).
class TShortcut
{
public:
    TShortcut();
    ~TShortcut();
    TShortcut(const TShortcut&) = delete;
    TShortcut& operator=(const TShortcut&) = delete;

    // False when the shell link object could not be created; every other call is
    // then a no-op and Save fails.
    bool Valid() const { return FLink != nullptr && FFile != nullptr; }

    void SetPath(const std::string& target);
    void SetWorkingDirectory(const std::string& directory);
    void SetDescription(const std::string& description);
    void SetShowCmd(int showCommand);
    // IPersistFile::Save with remember = true.
    bool Save(const std::string& fileName);

private:
    IShellLinkA* FLink = nullptr;
    IPersistFile* FFile = nullptr;
};

// Creates linkBase + ".URL" for a web target (IsURL), else linkBase + ".LNK", and
// returns the path of the file written, or empty when it could not be written (the
// caller then logs nothing). linkBase is the shortcut's full path without extension.
// Initialises COM for the duration of the call itself.
std::string CreateShortcut(const std::string& linkBase, const std::string& target,
                           const std::string& workingDirectory, const std::string& description,
                           int showCommand);

#endif

} // namespace kf
