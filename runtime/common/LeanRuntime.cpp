// Linked as an object into each stub, not through an archive, so that it replaces the
// library's definition. GCC's default terminate handler prints the type of the
// uncaught exception and with it pulls in the C++ demangler, about 46 KB that every
// setup executable would carry. A GUI stub has no console to print to anyway; the
// stubs catch their exceptions at the window procedure and in WinMain.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

} // namespace __gnu_cxx
