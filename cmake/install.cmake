# Installing: the shared library with its version and SONAME, the header, a
# CMake package (find_package(ozlib) -> ozlib::ozlib) and a pkg-config file,
# all relocatable; the tools install themselves from tools/. Components match
# the Debian packages cpack makes: runtime (libozlib1), dev (libozlib-dev),
# tools (ozlib-tools).
include(CMakePackageConfigHelpers)

set_target_properties(ozlib PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

install(TARGETS ozlib EXPORT ozlibTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(FILES ${CMAKE_SOURCE_DIR}/include/ozlib.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

set(OZ_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ozlib)
install(EXPORT ozlibTargets NAMESPACE ozlib:: DESTINATION ${OZ_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/ozlibConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/ozlibConfig.cmake INSTALL_DESTINATION ${OZ_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ozlibConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ozlibConfig.cmake ${CMAKE_BINARY_DIR}/ozlibConfigVersion.cmake
        DESTINATION ${OZ_CMAKE_DIR} COMPONENT dev)

# The .pc file finds its prefix from where it lies, so the same file serves a
# package in /usr and a copy installed anywhere else.
file(RELATIVE_PATH OZ_PC_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" OZ_PC_TO_PREFIX "${OZ_PC_TO_PREFIX}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/ozlib.pc.in ${CMAKE_BINARY_DIR}/ozlib.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/ozlib.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)
