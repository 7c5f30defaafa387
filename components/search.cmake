# The search-list window that the reader, book and periodical management windows configure.
target_sources(lbcomponents PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/SearchListWindow.cpp)
