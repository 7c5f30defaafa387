# The library generator (benchmark data) and the import of an old library exported with mdbtools.
add_library(lbgenerate STATIC ${CMAKE_CURRENT_LIST_DIR}/Generator.cpp ${CMAKE_CURRENT_LIST_DIR}/CsvImport.cpp)
target_link_libraries(lbgenerate PUBLIC lbcreate lbcommon)

add_executable(book-generate ${CMAKE_CURRENT_LIST_DIR}/generate_main.cpp)
target_link_libraries(book-generate PRIVATE lbgenerate)

target_link_libraries(book-createdb PRIVATE lbgenerate)

# The consistency checker: counters against the loan and ledger rows, and their repair.
add_library(lbcheck STATIC ${CMAKE_CURRENT_LIST_DIR}/ConsistencyCheck.cpp)
target_link_libraries(lbcheck PUBLIC lbdb)

add_executable(book-check ${CMAKE_CURRENT_LIST_DIR}/check_main.cpp)
target_link_libraries(book-check PRIVATE lbcheck lbcreate)
