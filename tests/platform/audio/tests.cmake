# A whole program on the virtual sound device that ends by leaving main.
if(TARGET test_platform_audio)
  add_executable(open_virtual_device ${CMAKE_CURRENT_LIST_DIR}/exit_program/open_virtual_device.cpp)
  target_include_directories(open_virtual_device PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(open_virtual_device PRIVATE kobrix_system)
  add_test(NAME open_virtual_device_exits_cleanly COMMAND open_virtual_device)
  set_tests_properties(open_virtual_device_exits_cleanly PROPERTIES
    TIMEOUT 60 ENVIRONMENT "KOBRIX_GUI=headless;KOBRIX_AUDIO=virtual")
endif()
