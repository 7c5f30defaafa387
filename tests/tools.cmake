library_test(tst_tools lbgenerate lbcheck)
add_dependencies(tst_tools book-check)
target_compile_definitions(tst_tools PRIVATE BOOK_CHECK="$<TARGET_FILE:book-check>")
