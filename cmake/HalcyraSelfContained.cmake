# Linking that makes a plug-in module load on any x86-64 Linux desktop.
#
# libmysofa, FFTW (single precision), speexdsp and zlib are linked from their static
# archives into everything that uses them, so a module built here needs none of their
# shared libraries at load time. Debian builds these archives position-independent.
#
# halcyra_link_self_contained(<target> [EXPORTS <version-script>])
#   Links the C++ runtime and libgcc statically too and hides every symbol that comes
#   from an archive; with EXPORTS, only the version script's symbols stay visible.
#   What remains dynamic is what every desktop has: libc, libm, X11 and the GL
#   dispatch libraries (tests/frame checks the module's list).

function(halcyra_static_archive name archive)
  find_library(HALCYRA_${name}_ARCHIVE NAMES ${archive} REQUIRED)
  add_library(halcyra::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(halcyra::${name} PROPERTIES IMPORTED_LOCATION ${HALCYRA_${name}_ARCHIVE})
  if(ARGN)
    set_target_properties(halcyra::${name} PROPERTIES INTERFACE_LINK_LIBRARIES "${ARGN}")
  endif()
endfunction()

halcyra_static_archive(zlib libz.a)
halcyra_static_archive(fftw3f libfftw3f.a m)
halcyra_static_archive(speexdsp libspeexdsp.a m)
halcyra_static_archive(mysofa libmysofa.a halcyra::zlib m)

function(halcyra_link_self_contained target)
  cmake_parse_arguments(S "" "EXPORTS" "" ${ARGN})
  target_link_options(${target} PRIVATE
    -Wl,--no-undefined
    -Wl,--as-needed
    -Wl,--exclude-libs,ALL)
  # Sanitizer runtimes expect the shared C++ runtime; those builds only run tests.
  if(NOT HALCYRA_SANITIZER)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
  if(S_EXPORTS)
    target_link_options(${target} PRIVATE -Wl,--version-script=${S_EXPORTS})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${S_EXPORTS})
  endif()
endfunction()
