// A windowed program has nowhere to print why it ends: the standard library's verbose
// terminate handler, and the name demangler it brings (some 46 KiB), are left out by
// standing in for it. The program still ends as std::terminate ends it.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
