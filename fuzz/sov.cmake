# The field data file loader's fuzzer. Seed corpus: the example field files and the
# test fixtures (scripts/fuzz.sh passes them).
add_executable(FuzzSovLoad ${CMAKE_CURRENT_LIST_DIR}/FuzzSovLoad.cpp)
target_compile_options(FuzzSovLoad PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(FuzzSovLoad PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(FuzzSovLoad PRIVATE furrow_model)
target_compile_definitions(FuzzSovLoad PRIVATE
  FURROW_FUZZ_LOOKUP_FILE="${PROJECT_SOURCE_DIR}/data/SovLookup.ini")
set(FURROW_FUZZ_SOV_CORPUS
  ${PROJECT_SOURCE_DIR}/data/examples
  ${PROJECT_SOURCE_DIR}/tests/data/sov)
