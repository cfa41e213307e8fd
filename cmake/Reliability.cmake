# Builds that look for faults rather than ship: the whole tree under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the libFuzzer
# targets. Included before the sources so that the flags reach the library
# as well as the tests.
option(ORVET_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ORVET_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang; implies the sanitizers)" OFF)

if(ORVET_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORVET_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

if(ORVET_SANITIZE OR ORVET_FUZZ)
    set(ORVET_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer)
    add_compile_options(${ORVET_SANITIZER_FLAGS})
    add_link_options(${ORVET_SANITIZER_FLAGS})
endif()

if(ORVET_FUZZ)
    # Coverage for the fuzzer everywhere; only the targets get its main().
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
