// Printing the licence: the check for a printer (with the offer of the Add Printer
// wizard) and the rich-text box's document printed page by page.
#pragma once

#include <windows.h>

#include <string>

namespace kf {
namespace installer {

// True when a default printer exists. Otherwise the "No Printer" question is asked in
// front of owner, Yes starts the Add Printer wizard, and false comes back.
bool CheckPrinter(HWND owner);

// The printer setup dialog in front of owner; when it is confirmed, richEdit's document
// is printed as the job jobTitle. Printer errors end the job quietly.
void PrintRichText(HWND owner, HWND richEdit, const std::string& jobTitle);

} // namespace installer
} // namespace kf
