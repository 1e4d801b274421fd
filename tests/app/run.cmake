# Conversion run with its output naming and banner, and the command-line converter.
zonvert_add_test(tst_conversionrun SOURCES tst_conversionrun.cpp LIBS zonvert_run)
zonvert_add_test(tst_cli SOURCES tst_cli.cpp)
add_dependencies(tst_cli zonvert-cli)
# A hang in the pool must fail the test, not stall the whole run.
zonvert_add_test(tst_workerpool SOURCES tst_workerpool.cpp LIBS zonvert_run)
set_tests_properties(tst_workerpool PROPERTIES TIMEOUT 60)
zonvert_add_test(tst_selection SOURCES tst_selection.cpp LIBS zonvert_run)
