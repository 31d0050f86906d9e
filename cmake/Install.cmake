# What `cmake --install` puts under the prefix, in three components:
#   runtime      the library and the packed resource tree
#   development  headers, the CMake package and varnex.pc
#   tools        the varnex program
# Every path is relative to the prefix, so `cmake --install --prefix DIR`
# and the Debian packages (cmake/Package.cmake) get a tree that finds itself.
include(CMakePackageConfigHelpers)

set(VARNEX_INSTALL_RESOURCE_DIR ${CMAKE_INSTALL_DATADIR}/varnex/resources)
set(VARNEX_INSTALL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Varnex)

install(TARGETS varnex EXPORT VarnexTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
install(DIRECTORY ${PROJECT_BINARY_DIR}/resources/1.0 DESTINATION ${VARNEX_INSTALL_RESOURCE_DIR}
  COMPONENT runtime)

install(FILES
    AutoReplyKorean/inc/varnex.h AutoReplyKorean/inc/SmartReplyAPIWrapper.h
    utilities/inc/JsonBuilder.h utilities/inc/JsonParser.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/varnex COMPONENT development)
install(FILES utilities/inc/Varnex/Export.h utilities/inc/Varnex/Log.h utilities/inc/Varnex/Clock.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/varnex/Varnex COMPONENT development)

# The CMake package: VARNEX_RESOURCE_DIR is computed from where the
# configuration file lies, not from the prefix configured at build time.
install(EXPORT VarnexTargets NAMESPACE Varnex:: DESTINATION ${VARNEX_INSTALL_CMAKE_DIR} COMPONENT development)
configure_package_config_file(cmake/VarnexConfig.cmake.in ${PROJECT_BINARY_DIR}/VarnexConfig.cmake
  INSTALL_DESTINATION ${VARNEX_INSTALL_CMAKE_DIR} PATH_VARS VARNEX_INSTALL_RESOURCE_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VarnexConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VarnexConfig.cmake ${PROJECT_BINARY_DIR}/VarnexConfigVersion.cmake
  DESTINATION ${VARNEX_INSTALL_CMAKE_DIR} COMPONENT development)

# varnex.pc names the prefix given at install time (`--prefix`, or /usr in
# the packages), so it is written when installing and then installed like any
# file, which puts it in the install manifest.
install(CODE "
  set(VARNEX_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  set(VARNEX_PC_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(VARNEX_PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(VARNEX_PC_RESOURCEDIR \"${VARNEX_INSTALL_RESOURCE_DIR}\")
  set(VARNEX_PC_VERSION \"${PROJECT_VERSION}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/varnex.pc.in\" \"${PROJECT_BINARY_DIR}/pkgconfig/varnex.pc\" @ONLY)
  " COMPONENT development)
install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/varnex.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)

file(RELATIVE_PATH _varnex_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(varnex-demo PROPERTIES INSTALL_RPATH "$ORIGIN/${_varnex_bin_to_lib}")
install(TARGETS varnex-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)

# `cmake --build build --target uninstall` removes what the last
# `cmake --install build` installed, wherever that was.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
          -P ${PROJECT_SOURCE_DIR}/cmake/Uninstall.cmake
  VERBATIM)
