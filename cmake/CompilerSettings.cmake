# One interface target that every Vellumry target links: warnings and Qt safety defines.
add_library(vellumry_options INTERFACE)
target_compile_options(vellumry_options INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-qual -Wformat=2 -Wimplicit-fallthrough -Wshadow=local
  $<$<BOOL:${VELLUMRY_WERROR}>:-Werror>)
target_compile_definitions(vellumry_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER
  QT_NO_KEYWORDS
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_STRICT_ITERATORS
  QT_DISABLE_DEPRECATED_BEFORE=0x060400
  _FILE_OFFSET_BITS=64)

# lld links the many test programs several times faster than the default linker.
include(CheckLinkerFlag)
check_linker_flag(CXX "-fuse-ld=lld" VELLUMRY_HAVE_LLD)
if(VELLUMRY_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()
