# The bar chart of the borrowing rankings.
target_sources(lbcomponents PRIVATE ${CMAKE_CURRENT_LIST_DIR}/BarChart.cpp ${CMAKE_CURRENT_LIST_DIR}/BarChart.h)
