# A tiny shared library for the dynamic-library tests, put beside the test
# program the way tool libraries lie beside the program.
if(TARGET test_platform_core)
  file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/kbxprobe.c CONTENT [[
int kbx_probe_value(void) { return 4711; }
int _TOOLDLLENTRY(int x) { return 2 * x; }
]])
  add_library(kbxprobe SHARED ${CMAKE_CURRENT_BINARY_DIR}/kbxprobe.c)
  set_target_properties(kbxprobe PROPERTIES
    OUTPUT_NAME kbxprobe
    LIBRARY_OUTPUT_DIRECTORY $<TARGET_FILE_DIR:test_platform_core>)
  add_dependencies(test_platform_core kbxprobe)
  target_compile_definitions(test_platform_core PRIVATE KOBRIX_PROBE_LIBRARY="$<TARGET_FILE:kbxprobe>")
endif()
