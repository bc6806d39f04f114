# The field data file loader's fuzzer; included from fuzz/CMakeLists.txt, after the
# libraries are instrumented. Seeds: data/examples and tests/data/sov; dictionary
# fuzz/sov.dict (scripts/fuzz.sh passes both).
if(NOT DEFINED FURROW_FUZZ_SANITIZERS)
  set(FURROW_FUZZ_SANITIZERS address,undefined)
endif()
add_executable(furrow_fuzz_sov_load ${CMAKE_CURRENT_LIST_DIR}/FuzzSovLoad.cpp)
target_compile_options(furrow_fuzz_sov_load PRIVATE
  -fsanitize=fuzzer,${FURROW_FUZZ_SANITIZERS} -fno-omit-frame-pointer)
target_link_options(furrow_fuzz_sov_load PRIVATE -fsanitize=fuzzer,${FURROW_FUZZ_SANITIZERS})
target_link_libraries(furrow_fuzz_sov_load PRIVATE furrow_import furrow_model Qt6::Core)
target_compile_definitions(furrow_fuzz_sov_load PRIVATE
  FURROW_FUZZ_LOOKUP_FILE="${PROJECT_SOURCE_DIR}/data/SovLookup.ini")
