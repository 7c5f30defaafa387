# Spreadsheet export: .xlsx through libxlsxwriter, opened with the desktop's spreadsheet program.
target_sources(lbcommon PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SpreadsheetExport.cpp ${CMAKE_CURRENT_LIST_DIR}/SpreadsheetExport.h)
target_link_libraries(lbcommon PUBLIC PkgConfig::XLSXWRITER)

# Benchmark: a large list written to a workbook.
add_executable(bench_export ${CMAKE_SOURCE_DIR}/tools/bench_export.cpp)
target_link_libraries(bench_export PRIVATE lbcommon lbcreate)
