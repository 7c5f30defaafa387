library_test(tst_chart lbcomponents)
