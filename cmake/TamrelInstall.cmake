include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The testing component goes with the library: it needs nothing more.
install(TARGETS tamrel tamrel_testing EXPORT tamrelTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# tamrel/qt.hpp and qt_watcher.hpp go with the Qt component only.
if(TARGET tamrel_qt)
  set(TAMREL_QT_HEADER_EXCLUDE "")
else()
  set(TAMREL_QT_HEADER_EXCLUDE PATTERN qt.hpp EXCLUDE PATTERN qt_watcher.hpp EXCLUDE)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/tamrel
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} ${TAMREL_QT_HEADER_EXCLUDE})
install(EXPORT tamrelTargets
  NAMESPACE tamrel::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tamrel)

configure_package_config_file(
  ${PROJECT_SOURCE_DIR}/cmake/tamrelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tamrelConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tamrel)
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/tamrelConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/tamrelConfig.cmake
  ${PROJECT_BINARY_DIR}/tamrelConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tamrel)

# The pkg-config file finds its prefix from its own folder, so that a tree
# installed with `cmake --install --prefix` (or moved) is still right.
file(RELATIVE_PATH TAMREL_PC_PREFIX_FROM_PCFILEDIR
  ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
# What a static link of the library needs besides it.
if(WIN32)
  set(TAMREL_PC_LIBS_PRIVATE "-lshell32 -lole32 -loleaut32 -luser32")
else()
  set(TAMREL_PC_LIBS_PRIVATE "-ldl")
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/tamrel.pc.in
  ${PROJECT_BINARY_DIR}/tamrel.pc @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/tamrel-testing.pc.in
  ${PROJECT_BINARY_DIR}/tamrel-testing.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tamrel.pc ${PROJECT_BINARY_DIR}/tamrel-testing.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Qt component: its own export set, so that find_package(tamrel) without
# the component never needs Qt; tamrelConfig.cmake includes it on request.
if(TARGET tamrel_qt)
  install(TARGETS tamrel_qt EXPORT tamrelQtTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(EXPORT tamrelQtTargets
    NAMESPACE tamrel::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tamrel)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/tamrel-qt.pc.in
    ${PROJECT_BINARY_DIR}/tamrel-qt.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/tamrel-qt.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()
