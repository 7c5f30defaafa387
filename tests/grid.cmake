library_test(tst_grid lbcomponents)
