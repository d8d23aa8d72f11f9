# The release archive: `cmake --build build --target package` writes
# Halcyra-<version>-linux-x86_64.tar.gz with the bundles (manual and presets inside;
# frame-lv2 adds Halcyra.lv2 to the same component),
# halcyra-render beside it (it looks for the bundle there), the README and the licence.
# Its files form the "release" component, left out of a plain `cmake --install`.
install(DIRECTORY ${HALCYRA_BUNDLE_DIR} DESTINATION . USE_SOURCE_PERMISSIONS
  COMPONENT release EXCLUDE_FROM_ALL)
install(TARGETS halcyra-render RUNTIME DESTINATION . COMPONENT release EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE.md DESTINATION .
  COMPONENT release EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME Halcyra)
set(CPACK_PACKAGE_VENDOR tavimoro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Halcyra-${PROJECT_VERSION}-linux-x86_64)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Halcyra;release;/")
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
