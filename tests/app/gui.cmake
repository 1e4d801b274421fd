# Tests of the desktop program: command line, window, boxes, batch runs.
if(TARGET zonvert_gui)
  zonvert_add_test(tst_mainwindow SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/modalanswerer.h LIBS zonvert_gui LABELS gui)
  # The form is built here from the same .ui file to see its state before any settings.
  set_property(TARGET tst_mainwindow PROPERTY AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR}/app)
  add_dependencies(tst_mainwindow zonvert_translations)
  zonvert_add_test(tst_windowchoices SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_windowchoices.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/modalanswerer.h LIBS zonvert_gui LABELS gui)
endif()

# Not a test: pictures of the window for scripts/screenshots.sh.
if(TARGET zonvert_gui)
  add_executable(zonvert-screenshot ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp)
  target_link_libraries(zonvert-screenshot PRIVATE zonvert_gui)
  add_dependencies(zonvert-screenshot zonvert_translations)
endif()

# Not a test: the preview picture of a real file, for looking at it.
if(TARGET zonvert_preview)
  add_executable(zonvert-preview-sample ${CMAKE_CURRENT_LIST_DIR}/previewsample.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/previewsample.h)
  target_link_libraries(zonvert-preview-sample PRIVATE zonvert_preview)
  add_dependencies(zonvert-preview-sample zonvert_translations)
endif()

# The preview picture and its dialog.
if(TARGET zonvert_gui AND TARGET zonvert_preview)
  zonvert_add_test(tst_preview SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_preview.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/previewsample.h LIBS zonvert_gui zonvert_preview LABELS gui)
endif()
