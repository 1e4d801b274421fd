# Tests of the desktop program: command line, window, boxes, batch runs.
if(TARGET zonvert_gui)
  zonvert_add_test(tst_mainwindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow.cpp LIBS zonvert_gui LABELS gui)
  # The form is built here from the same .ui file to see its state before any settings.
  set_property(TARGET tst_mainwindow PROPERTY AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR}/app)
  add_dependencies(tst_mainwindow zonvert_translations)
endif()

# Not a test: pictures of the window for scripts/screenshots.sh.
if(TARGET zonvert_gui)
  add_executable(zonvert-screenshot ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp)
  target_link_libraries(zonvert-screenshot PRIVATE zonvert_gui)
  add_dependencies(zonvert-screenshot zonvert_translations)
endif()
