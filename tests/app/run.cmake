# Conversion run with its output naming and banner, and the command-line converter.
zonvert_add_test(tst_conversionrun SOURCES tst_conversionrun.cpp LIBS zonvert_run)
zonvert_add_test(tst_cli SOURCES tst_cli.cpp)
add_dependencies(tst_cli zonvert-cli)
