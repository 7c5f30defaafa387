library_test(tst_export lbcommon lbcore)
