# The simulated board, loaded by path the way the program loads it.
if(TARGET test_platform_board)
  add_dependencies(test_platform_board vlminter)
  target_compile_definitions(test_platform_board PRIVATE KOBRIX_BOARD_LIBRARY="$<TARGET_FILE:vlminter>")
endif()
