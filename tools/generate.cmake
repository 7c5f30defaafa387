# The library generator (benchmark data) and the import of an old library exported with mdbtools.
add_library(lbgenerate STATIC ${CMAKE_CURRENT_LIST_DIR}/Generator.cpp ${CMAKE_CURRENT_LIST_DIR}/CsvImport.cpp)
target_link_libraries(lbgenerate PUBLIC lbcreate lbcommon)

add_executable(book-generate ${CMAKE_CURRENT_LIST_DIR}/generate_main.cpp)
target_link_libraries(book-generate PRIVATE lbgenerate)

target_link_libraries(book-createdb PRIVATE lbgenerate)
