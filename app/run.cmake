# The conversion run with output naming and banner (shared by both programs), and the
# command-line converter zonvert-cli.
include(GNUInstallDirs)

# The maker lines of the kaf banner; set them when packaging.
set(ZONVERT_MAKER_NAME "Zonvert project" CACHE STRING "Banner: maker name")
set(ZONVERT_MAKER_STREET "(street not set)" CACHE STRING "Banner: first postal address line")
set(ZONVERT_MAKER_TOWN "(town not set)" CACHE STRING "Banner: second postal address line")
set(ZONVERT_MAKER_WEB "(web address not set)" CACHE STRING "Banner: web address")
set(ZONVERT_MAKER_EMAIL "(e-mail address not set)" CACHE STRING "Banner: e-mail address")

add_library(zonvert_run STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/airspacefilter.h ${CMAKE_CURRENT_SOURCE_DIR}/airspacefilter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/conversionrun.h ${CMAKE_CURRENT_SOURCE_DIR}/conversionrun.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/outputfile.h ${CMAKE_CURRENT_SOURCE_DIR}/outputfile.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/workerpool.h ${CMAKE_CURRENT_SOURCE_DIR}/workerpool.cpp
)
find_package(Threads REQUIRED)
target_link_libraries(zonvert_run PUBLIC zonvert_core Qt6::Core Threads::Threads)
target_compile_definitions(zonvert_run PRIVATE
  "ZONVERT_MAKER_NAME=\"${ZONVERT_MAKER_NAME}\""
  "ZONVERT_MAKER_STREET=\"${ZONVERT_MAKER_STREET}\""
  "ZONVERT_MAKER_TOWN=\"${ZONVERT_MAKER_TOWN}\""
  "ZONVERT_MAKER_WEB=\"${ZONVERT_MAKER_WEB}\""
  "ZONVERT_MAKER_EMAIL=\"${ZONVERT_MAKER_EMAIL}\""
)

add_executable(zonvert-cli
  ${CMAKE_CURRENT_SOURCE_DIR}/cli_main.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/consoleui.h ${CMAKE_CURRENT_SOURCE_DIR}/consoleui.cpp
)
# The preview picture brings QtGui; without -preview the program needs no display.
target_link_libraries(zonvert-cli PRIVATE zonvert_run zonvert_preview)
install(TARGETS zonvert-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
