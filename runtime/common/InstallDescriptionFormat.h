// The installation description, "install.inf", the first entry of every package: the
// builder writes it (BuildInstallDescription), the installer stub reads it (TINFReader).
// Its section names and value rules live here, once, for both sides.
//
// A single-byte text in the system code page. Each section is a "[name]" header line,
// its value lines, then one empty line; every line ends in CR LF. Fields within a line
// are separated by kFieldSeparator, with no blanks around it; values are not trimmed
// or escaped, so a value holding ";" or a line break is not protected. The reader finds
// headers in any letter case and ends a section at its first blank line, so an empty
// value in a list is written as kEmptyValue.
#pragma once

namespace kf {
namespace inf {

// The package entry that holds the description.
constexpr const char* kEntryName = "install.inf";

// Sections, in the order the builder writes them.
constexpr const char* kTitle = "title";             // the application title
constexpr const char* kBaseDir = "basedir";         // one of the placeholders below
constexpr const char* kDefaultDir = "defaultdir";   // below the base directory
constexpr const char* kLicense = "license";         // kLicensePrefix + file name; only with a licence
constexpr const char* kReadme = "readme";           // kReadmePrefix + file name; only with a readme
constexpr const char* kFiles = "files";             // entry ";" target, the uninstaller last
constexpr const char* kProgramGroup = "program group";
constexpr const char* kGroupIcons = "group icons";  // caption ";" target or web address
constexpr const char* kDesktopIcons = "desktop icons";
constexpr const char* kLaunch = "launch";           // file name relative to the target directory
constexpr const char* kImage = "image";             // entry name of the wizard bitmap
constexpr const char* kStartColor = "background start color"; // decimal, red + 256 * green + 65536 * blue
constexpr const char* kEndColor = "background end color";
constexpr const char* kBrowseButton = "browse button"; // kBrowseDisabled
constexpr const char* kDisplayVersion = "display version"; // the registration's DisplayVersion; only when given
constexpr const char* kPublisher = "publisher";             // the registration's Publisher; only when given

// Sections the stub reads but the builder never writes.
constexpr const char* kDirectories = "directories"; // parent ";" name, made and logged before the copy
constexpr const char* kRunAndWait = "run and wait"; // command lines run after the group step

constexpr char kFieldSeparator = ';';
// A list line that stands for an empty value, after trimming.
constexpr const char* kEmptyValue = "#";

// Entry-name prefixes under which the setup stores the licence, the readme and the
// shipped files; the bitmap is stored under its bare file name.
constexpr const char* kLicensePrefix = "lic\\";
constexpr const char* kReadmePrefix = "readme\\";
constexpr const char* kDataPrefix = "data\\";
// Both the package entry of the uninstaller and its installed file name.
constexpr const char* kUninstallerName = "uninstall.exe";
// What the builder puts before a website icon's address.
constexpr const char* kWebPrefix = "http://";
// The value of kBrowseButton that disables Browse, compared upper-cased.
constexpr const char* kBrowseDisabled = "DISABLE";

// The base-directory placeholders of kBaseDir, compared exactly (letter case counts);
// any other value, kCustomDir included, stands for no base directory.
constexpr const char* kProgramFilesDir = "%PROGRAM FILES%";
constexpr const char* kWindowsDir = "%WINDOWS%";
constexpr const char* kSystemDir = "%SYSTEM%";
constexpr const char* kCRootDir = "%C ROOT%";
constexpr const char* kDesktopDir = "%DESKTOP%";
constexpr const char* kFontsDir = "%FONTS%";
constexpr const char* kCustomDir = "Custom";

} // namespace inf
} // namespace kf
