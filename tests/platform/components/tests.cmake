# The component tests create the effect modules through the registry: they
# need the modules built and know where the build put them and its registry
# entries. The effect-list tests of the audio folder do the same.
foreach(_t test_platform_components test_audio)
  if(TARGET ${_t})
    add_dependencies(${_t} kxgain kxecho kxparaeq)
    target_compile_definitions(${_t} PRIVATE
      KOBRIX_EFFECTS_REGISTRY="${CMAKE_BINARY_DIR}/effects_registry.txt"
      KOBRIX_EFFECT_MODULE_DIR="${CMAKE_BINARY_DIR}")
  endif()
endforeach()
