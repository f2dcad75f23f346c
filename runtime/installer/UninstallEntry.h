// What the installer tells Windows about an installation it has made: the uninstall
// registration's values, read off the installation description and the package.
#pragma once

#include "archive/CompressionManager.h"
#include "runtime/common/Registration.h"
#include "runtime/installer/infreader.h"

#include <string>

namespace kf {
namespace installer {

// The description's optional "[display version]" and "[publisher]" sections name the
// version and the vendor. The main executable is the "[launch]" program, else the
// desktop icon's, else the first group icon's that is not the uninstaller, and only
// when it is an installed ".exe". The website is the first web address among the group
// icons. The size is the sum of the installed entries (none without a package). The date is left to the
// system.
TRegistration RegistrationFor(const std::string& title, const std::string& installDir,
                              const TINFReader& description, const TCompressionManager* package);

} // namespace installer
} // namespace kf
