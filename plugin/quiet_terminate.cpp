// Replaces the C++ runtime's default terminate handler in the DLL. That
// handler writes the pending exception's demangled type to stderr before it
// aborts, which brings some 75 KB of demangler into the plug-in; yet the
// editor has no console to read it, and no exception leaves the plug-in's
// callbacks. Defined here, the runtime library's own copy is never linked,
// and std::terminate still ends the process the same way.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
