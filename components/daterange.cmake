# The date-range list window of the intake statistics, the money ledger and the intake register.
target_sources(lbcomponents PRIVATE ${CMAKE_CURRENT_LIST_DIR}/DateRangeList.cpp ${CMAKE_CURRENT_LIST_DIR}/DateRangeList.h
  ${CMAKE_CURRENT_LIST_DIR}/GridReport.cpp ${CMAKE_CURRENT_LIST_DIR}/GridReport.h)
