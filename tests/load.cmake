# Several desks on one library, killed at random: desk_load [--desks N] [--ops M] [--kills K] LIBRARY.
add_executable(desk_load ${CMAKE_SOURCE_DIR}/tools/desk_load.cpp)
target_link_libraries(desk_load PRIVATE lbcirculation lbreaders lbcheck lbtestsupport)
target_include_directories(desk_load PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
library_test(tst_load lbcheck)
add_dependencies(tst_load desk_load)
target_compile_definitions(tst_load PRIVATE DESK_LOAD="$<TARGET_FILE:desk_load>")
