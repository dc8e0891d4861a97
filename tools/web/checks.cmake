# What emcc's checks find, handed to the CMake builds of libogg, libvorbis and
# libjpeg-turbo (cmake -C) so that CMake does not start emcc (python and node)
# once per check. A check whose variable is set here is skipped.

# Headers (CheckIncludeFile(s) and CheckTypeSize's own).
foreach(header INTTYPES_H STDINT_H SYS_TYPES_H STDDEF_H)
  set(INCLUDE_${header} 1 CACHE INTERNAL "")
  set(HAVE_${header} 1 CACHE INTERNAL "")
endforeach()

# Type sizes: wasm32 is ILP32. CheckTypeSize reads them from a program's
# strings, which emcc leaves in the .wasm beside the .js it looks in, so it
# would not find them anyway.
foreach(type_size INT16_SIZE=2 UINT16_SIZE=2 U_INT16_SIZE=2 INT32_SIZE=4 UINT32_SIZE=4 U_INT32_SIZE=4
    INT64_SIZE=8 SHORT_SIZE=2 INT_SIZE=4 LONG_SIZE=4 LONG_LONG_SIZE=8 SIZE_T=4 UNSIGNED_LONG=4)
  string(REPLACE "=" ";" pair ${type_size})
  list(GET pair 0 name)
  list(GET pair 1 bytes)
  set(${name} ${bytes} CACHE INTERNAL "")
  set(HAVE_${name} TRUE CACHE INTERNAL "")
endforeach()

# libvorbis: floor() is in emcc's libc, which a link with -lm finds.
set(HAVE_LIBM 1 CACHE INTERNAL "")

# libjpeg-turbo: the compiler has __builtin_ctzl, forced inlining and linker
# version scripts.
set(HAVE_BUILTIN_CTZL 1 CACHE INTERNAL "")
set(INLINE_WORKS 1 CACHE INTERNAL "")
set(HAVE_VERSION_SCRIPT 1 CACHE INTERNAL "")
