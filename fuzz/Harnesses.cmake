# The fuzz harnesses, each built once as the object library kissfuzz_NAME from fuzz/SOURCE and linked both by the
# libFuzzer program fuzz_NAME (fuzz/) and by the replay program replay_NAME of ordinary builds (tests/replay/). Seeds
# are in fuzz/corpus/NAME, past findings in tests/crashers/NAME.
set(KISS_FUZZ_HARNESSES decode_cel text conversion archives page fkiss decode_gif decode_jpeg decode_png)
set(KISS_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
if(NOT TARGET kissfuzz_conversion)
    add_library(kissfuzz_decode_cel OBJECT ${KISS_FUZZ_DIR}/FuzzDecodeCel.cpp)
    add_library(kissfuzz_text OBJECT ${KISS_FUZZ_DIR}/FuzzText.cpp)
    add_library(kissfuzz_conversion OBJECT ${KISS_FUZZ_DIR}/FuzzConversion.cpp)
    add_library(kissfuzz_archives OBJECT ${KISS_FUZZ_DIR}/FuzzArchives.cpp)
    add_library(kissfuzz_page OBJECT ${KISS_FUZZ_DIR}/FuzzPage.cpp)
    add_library(kissfuzz_fkiss OBJECT ${KISS_FUZZ_DIR}/FuzzFkiss.cpp)
    target_link_libraries(kissfuzz_archives PRIVATE archives)
    # One source, a harness for each image file decoder.
    foreach(kind Gif Jpeg Png)
        string(TOLOWER ${kind} name)
        add_library(kissfuzz_decode_${name} OBJECT ${KISS_FUZZ_DIR}/FuzzDecodeImage.cpp)
        target_compile_definitions(kissfuzz_decode_${name} PRIVATE KISS_DECODE=Decode${kind})
    endforeach()
    foreach(name IN LISTS KISS_FUZZ_HARNESSES)
        target_include_directories(kissfuzz_${name} PRIVATE ${KISS_FUZZ_DIR} ${PROJECT_SOURCE_DIR}/tests)
        target_link_libraries(kissfuzz_${name} PRIVATE web) # and conversion under it
        # The harnesses' checks are asserts: on in every build type.
        target_compile_options(kissfuzz_${name} PRIVATE -UNDEBUG)
    endforeach()
endif()
