# The lookup-list editor of the table-maintenance windows.
target_sources(lbcomponents PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/LookupListEditor.cpp)
