# The Qt component's tests: the form-binding suite over the standard controls
# and Qt widgets side by side, the widgets' conformance to the standard
# controls, and what only widgets have. They run on Qt's offscreen platform.
find_package(Qt6 6.2 REQUIRED COMPONENTS Widgets UiTools Test)

file(GLOB TAMREL_QT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/qt/*.cpp)
add_executable(tamrel_qt_tests ${TAMREL_QT_TEST_SOURCES}
  ${CMAKE_CURRENT_SOURCE_DIR}/forms/form_binding_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/forms/standard_form_kit.cpp)
target_link_libraries(tamrel_qt_tests PRIVATE
  tamrel_test_support tamrel::qt Qt6::UiTools Qt6::Test GTest::gtest)
tamrel_set_warnings(tamrel_qt_tests)
# Where the tests find their .ui files.
target_compile_definitions(tamrel_qt_tests PRIVATE TAMREL_QT_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/qt")
# The Qt Preferences example, driven as a person would, when it is built.
if(TARGET qt_preferences_session)
  target_sources(tamrel_qt_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/qt/example/preferences_example_test.cpp)
  target_link_libraries(tamrel_qt_tests PRIVATE qt_preferences_session)
endif()
add_test(NAME qt COMMAND tamrel_qt_tests)
set_tests_properties(qt PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
