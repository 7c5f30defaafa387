# The report engine, Code 128 barcodes, the print preview and the chosen printer.
target_sources(lbcomponents PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Barcode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterChoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportPreview.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportTemplate.cpp)
target_link_libraries(lbcomponents PUBLIC ${ZINT_LIBRARY})

# The templates live in the program folder, beside the executable; copied on every build so
# an edited template is picked up without reconfiguring.
add_custom_target(report_templates ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/reports ${CMAKE_BINARY_DIR}/bin/reports
  COMMENT "Copying report templates")
add_dependencies(lbcomponents report_templates)
