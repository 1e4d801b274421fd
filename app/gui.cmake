# The window, its form, settings and command line, as a library that the tests share.
add_library(zonvert_gui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/mainwindow.h ${CMAKE_CURRENT_LIST_DIR}/mainwindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mainwindow.ui
  ${CMAKE_CURRENT_LIST_DIR}/messageboxui.h ${CMAKE_CURRENT_LIST_DIR}/messageboxui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings.h ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/commandline.h ${CMAKE_CURRENT_LIST_DIR}/commandline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/previewdialog.h ${CMAKE_CURRENT_LIST_DIR}/previewdialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filterdialog.h ${CMAKE_CURRENT_LIST_DIR}/filterdialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filterdialog.ui
  ${CMAKE_SOURCE_DIR}/resources/zonvert.qrc
)
target_include_directories(zonvert_gui PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(zonvert_gui PUBLIC zonvert_run zonvert_preview Qt6::Widgets)

add_executable(zonvert WIN32 ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(zonvert PRIVATE zonvert_gui)

include(GNUInstallDirs)
install(TARGETS zonvert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
