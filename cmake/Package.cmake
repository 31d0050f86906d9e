# Debian packages from the install components (cmake/Install.cmake):
#   cpack -G DEB --config build/CPackConfig.cmake
# libvarnex1     runtime: the library and the packed resource tree
# libvarnex-dev  development: headers, the CMake package, varnex.pc
# The varnex program stays out of both; `cmake --install` installs it.
set(CPACK_PACKAGE_NAME varnex)
set(CPACK_PACKAGE_VENDOR "Varnex")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Offline Korean reply suggestions for text messages")
set(CPACK_PACKAGE_CONTACT "Varnex developers <varnex@localhost>")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "Varnex suggests Korean replies to text messages offline: the shared library and its resources.")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libvarnex1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)

set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "Headers (C and C++), CMake package and pkg-config file for building hosts of libvarnex1.")
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvarnex-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)

include(CPack)
