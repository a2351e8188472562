if(NIMBEL_SANITIZE)
  add_compile_options(-fsanitize=${NIMBEL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${NIMBEL_SANITIZE})
endif()

if(NIMBEL_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (CC=clang CXX=clang++)")
  endif()
  # Every library the fuzzers link carries coverage so that libFuzzer can steer into it.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
