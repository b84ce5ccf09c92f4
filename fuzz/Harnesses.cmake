# The fuzz harnesses, shared by the libFuzzer build (fuzz/) and the replay tests of ordinary
# builds (tests/robustness/). Harness NAME is fuzz/Fuzz<Source>.cpp; its seeds are in
# fuzz/corpus/NAME and the inputs of its past findings in tests/crashers/NAME.
set(KISS_FUZZ_HARNESSES configuration decode_cel text conversion)
set(KISS_FUZZ_SOURCE_configuration FuzzConfiguration.cpp)
set(KISS_FUZZ_SOURCE_decode_cel FuzzDecodeCel.cpp)
set(KISS_FUZZ_SOURCE_text FuzzText.cpp)
set(KISS_FUZZ_SOURCE_conversion FuzzConversion.cpp)
set(KISS_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})

# add_kiss_harness(target NAME): the harness source with the scratch-folder helper, linked to
# the conversion layer (which brings the imaging and platform layers).
function(add_kiss_harness target name)
    add_executable(${target} ${KISS_FUZZ_DIR}/${KISS_FUZZ_SOURCE_${name}}
                             ${KISS_FUZZ_DIR}/FuzzScratch.cpp ${ARGN})
    target_include_directories(${target} PRIVATE ${KISS_FUZZ_DIR})
    target_link_libraries(${target} PRIVATE conversion)
endfunction()
