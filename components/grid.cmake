# The data grid of the list windows, and its benchmark.
target_sources(lbcomponents PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/DataGrid.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/GridModel.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/GridQuery.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/GridFooter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/GridFilterPopup.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/GridExport.cpp)

add_executable(bench_grid ${CMAKE_SOURCE_DIR}/tools/bench_grid.cpp)
target_link_libraries(bench_grid PRIVATE lbcomponents lbcreate lbbench)
