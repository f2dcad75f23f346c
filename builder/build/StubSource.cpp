#include "builder/build/StubSource.h"

namespace kf {

const char* StubResourceName(TStubKind kind)
{
    return kind == TStubKind::Installer ? "INSTALLEXE" : "UNINSTALLEXE";
}

} // namespace kf
