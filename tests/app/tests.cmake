# The program's own tests start the kobrix program beside the tests.
target_compile_definitions(test_app PRIVATE KOBRIX_PROGRAM="$<TARGET_FILE:kobrix>")
add_dependencies(test_app kobrix)
