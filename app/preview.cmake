# The preview picture: what a run wrote, drawn as PNG or SVG. No widgets, so that the
# command-line program can draw it too; the window shows it through the same drawing.
add_library(zonvert_preview STATIC
  ${CMAKE_CURRENT_LIST_DIR}/previewdata.h ${CMAKE_CURRENT_LIST_DIR}/previewdata.cpp
  ${CMAKE_CURRENT_LIST_DIR}/previewscene.h ${CMAKE_CURRENT_LIST_DIR}/previewscene.cpp
  ${CMAKE_CURRENT_LIST_DIR}/previewrender.h ${CMAKE_CURRENT_LIST_DIR}/previewrender.cpp
)
target_include_directories(zonvert_preview PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(zonvert_preview PUBLIC zonvert_core Qt6::Gui Qt6::Svg)
