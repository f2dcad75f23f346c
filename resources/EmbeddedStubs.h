// The runtime programs as this executable carries them: RCDATA resources INSTALLEXE and
// UNINSTALLEXE on Windows (the builder's way), the same bytes linked into the program
// elsewhere, so that kftool on any host writes the setup executables the builder writes.
#pragma once

#include "builder/build/StubSource.h"

namespace kf {

// Lives as long as the program.
TStubSource& EmbeddedStubs();

} // namespace kf
