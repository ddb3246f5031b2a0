# One sanitizer set for the whole build, so every library and test agrees.
if(NAVORA_SANITIZE)
  add_compile_options(-fsanitize=${NAVORA_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${NAVORA_SANITIZE})
  if(NAVORA_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

# libFuzzer targets need clang; the sanitized clang build compiles and runs them.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND NAVORA_SANITIZE MATCHES "address")
  set(NAVORA_FUZZ ON)
else()
  set(NAVORA_FUZZ OFF)
endif()
