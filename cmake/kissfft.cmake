# KISS FFT in double precision, built from the distribution's source package that
# scripts/setup unpacks into .deps/kissfft.
set(KESTREL_KISSFFT_DIR "${PROJECT_SOURCE_DIR}/.deps/kissfft" CACHE PATH "KISS FFT sources")
if(NOT EXISTS "${KESTREL_KISSFFT_DIR}/kiss_fft.c")
    message(FATAL_ERROR "KISS FFT sources not found in ${KESTREL_KISSFFT_DIR}; run scripts/setup")
endif()
add_library(kissfft STATIC "${KESTREL_KISSFFT_DIR}/kiss_fft.c")
target_include_directories(kissfft SYSTEM PUBLIC "${KESTREL_KISSFFT_DIR}")
target_compile_definitions(kissfft PUBLIC kiss_fft_scalar=double)
set_target_properties(kissfft PROPERTIES C_STANDARD 11 POSITION_INDEPENDENT_CODE ON)
if(NOT MSVC)
    target_compile_options(kissfft PRIVATE -w)
    target_link_libraries(kissfft PUBLIC m)
endif()
