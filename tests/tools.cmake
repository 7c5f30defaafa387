library_test(tst_tools lbgenerate)
