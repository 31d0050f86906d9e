include(CMakePackageConfigHelpers)

install(TARGETS varnex EXPORT VarnexTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES AutoReplyKorean/inc/SmartReplyAPIWrapper.h utilities/inc/JsonBuilder.h utilities/inc/JsonParser.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/varnex)
install(FILES utilities/inc/Varnex/Export.h utilities/inc/Varnex/Log.h utilities/inc/Varnex/Clock.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/varnex/Varnex)
install(EXPORT VarnexTargets NAMESPACE Varnex:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Varnex)
configure_package_config_file(cmake/VarnexConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/VarnexConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Varnex)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VarnexConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VarnexConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/VarnexConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Varnex)
