# The same sources for 64-bit Windows: what the Wine tiers run where the machine's
# kernel cannot run Wine's 32-bit half.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
