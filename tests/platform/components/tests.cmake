# The component tests create the effect modules through the registry: they
# need the modules built and know where the build put them and its registry
# entries. A fake module of their own shows what the program does with a
# component. The effect-list tests of the audio folder use both.
add_library(kxfakefx SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_module/fake_effects.cpp)
target_include_directories(kxfakefx PRIVATE ${CMAKE_SOURCE_DIR})
set_target_properties(kxfakefx PROPERTIES
  CXX_VISIBILITY_PRESET hidden
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fake_module)
foreach(_t test_platform_components test_audio)
  if(TARGET ${_t})
    add_dependencies(${_t} kxgain kxecho kxparaeq kxfakefx)
    target_compile_definitions(${_t} PRIVATE
      KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
      KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}"
      KOBRIX_FAKE_EFFECTS_MODULE="$<TARGET_FILE:kxfakefx>")
  endif()
endforeach()
