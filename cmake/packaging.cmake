# The two packages, made by scripts/package with CPack: from the Windows build the zip a
# user unpacks beside the logger, from the native build the Debian package of kestrel-cli.
# The version is the one the About box shows.
file(STRINGS "${PROJECT_SOURCE_DIR}/src/app/menu_commands.h" kestrel_version_line
     REGEX "kVersionText = \"")
if(NOT kestrel_version_line MATCHES "\"([^\"]+)\"")
    message(FATAL_ERROR "packaging: no kVersionText in src/app/menu_commands.h")
endif()
set(KESTREL_RELEASE "${CMAKE_MATCH_1}")

# What the programs contain of others' work, with their licences.
set(kestrel_notices "${CMAKE_BINARY_DIR}/package/THIRD-PARTY.txt")
file(READ "${KESTREL_KISSFFT_DIR}/COPYING" kiss_copying)
file(READ "${KESTREL_KISSFFT_DIR}/LICENSES/BSD-3-Clause" kiss_licence)
file(WRITE "${kestrel_notices}"
     "Kestrel ${KESTREL_RELEASE} contains KISS FFT (https://github.com/mborgerding/kissfft),\n"
     "built into its programs unchanged:\n\n${kiss_copying}\n${kiss_licence}")

set(CPACK_PACKAGE_VERSION "${KESTREL_RELEASE}")
set(CPACK_PACKAGE_VENDOR "The Kestrel developers")
# The project has no mail address: the maintainer is the project, found at its repository.
set(CPACK_PACKAGE_CONTACT "The Kestrel project, at the Kestrel source repository")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
# scripts/package builds what the packages hold; CPack need not build everything else.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_STRIP_FILES ON)

# Both packages carry the manual: the man page refers to it.
set(KESTREL_MANUAL_PDF "${CMAKE_BINARY_DIR}/Kestrel.pdf")
file(GLOB_RECURSE kestrel_manual_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/docs/manual/*")
add_custom_command(OUTPUT "${KESTREL_MANUAL_PDF}"
    COMMAND bash "${PROJECT_SOURCE_DIR}/docs/manual/render" "${KESTREL_MANUAL_PDF}"
    DEPENDS ${kestrel_manual_sources} "${PROJECT_SOURCE_DIR}/docs/benchmarks.md"
    COMMENT "Rendering the manual, Kestrel.pdf")
add_custom_target(manual DEPENDS "${KESTREL_MANUAL_PDF}")

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "Kestrel-${KESTREL_RELEASE}-win64")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    # kestrel-cli.exe too: the same receive and transmit code for scripts on Windows.
    install(TARGETS Kestrel loggersim kestrel-cli RUNTIME DESTINATION .)
    install(FILES "${KESTREL_MANUAL_PDF}" "${PROJECT_SOURCE_DIR}/docs/package/README.txt"
                  "${kestrel_notices}" DESTINATION .)
    install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION . RENAME LICENSE.txt)
    # The mingw-w64 runtime (threads, C runtime start-up) is linked into the programs.
    install(FILES "/usr/share/doc/mingw-w64-x86-64-dev/copyright" DESTINATION .
            RENAME MINGW-W64-RUNTIME.txt OPTIONAL)
    install(FILES "${PROJECT_SOURCE_DIR}/samples/sample.wav" DESTINATION .)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_PACKAGE_NAME kestrel-cli)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "RTTY modem for amateur radio: decode and encode .wav files")
    string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
        "kestrel-cli is the receive and transmit code of Kestrel, the sound-card RTTY\n"
        "modem for contest loggers, without its window. 'kestrel-cli decode' plays a\n"
        "recording through the receive chain (45.45, 50 or 75 baud; three decoders,\n"
        "AFC, squelch, Repeat Match) and prints the text; 'kestrel-cli encode' writes\n"
        "the AFSK, DOOK or PFSK audio Kestrel sends for a text; 'kestrel-cli record'\n"
        "keeps what a sound input (PulseAudio) hears.")
    set(kestrel_man "${CMAKE_BINARY_DIR}/kestrel-cli.1.gz")
    add_custom_command(OUTPUT "${kestrel_man}"
        COMMAND gzip -9n -c "${PROJECT_SOURCE_DIR}/docs/man/kestrel-cli.1" > "${kestrel_man}"
        DEPENDS "${PROJECT_SOURCE_DIR}/docs/man/kestrel-cli.1")
    add_custom_target(kestrel-cli-man ALL DEPENDS "${kestrel_man}")
    set(kestrel_copyright "${CMAKE_BINARY_DIR}/package/copyright")
    file(READ "${PROJECT_SOURCE_DIR}/docs/package/copyright.in" kestrel_copyright_head)
    file(WRITE "${kestrel_copyright}" "${kestrel_copyright_head}\n${kiss_copying}\n${kiss_licence}")
    # The changelog names the version it describes first; a release without its entry
    # stops here rather than ship an old one.
    set(kestrel_changelog_source "${PROJECT_SOURCE_DIR}/docs/package/changelog")
    file(STRINGS "${kestrel_changelog_source}" kestrel_changelog_head LIMIT_COUNT 1)
    if(NOT kestrel_changelog_head MATCHES "\\(${KESTREL_RELEASE}\\)")
        message(FATAL_ERROR "packaging: docs/package/changelog does not begin with ${KESTREL_RELEASE}")
    endif()
    set(kestrel_changelog "${CMAKE_BINARY_DIR}/package/changelog.gz")
    add_custom_command(OUTPUT "${kestrel_changelog}"
        COMMAND gzip -9n -c "${kestrel_changelog_source}" > "${kestrel_changelog}"
        DEPENDS "${kestrel_changelog_source}")
    add_custom_target(kestrel-cli-changelog ALL DEPENDS "${kestrel_changelog}")
    install(TARGETS kestrel-cli RUNTIME DESTINATION bin)
    install(FILES "${kestrel_man}" DESTINATION share/man/man1)
    install(FILES "${kestrel_copyright}" "${kestrel_changelog}" "${KESTREL_MANUAL_PDF}"
                  "${PROJECT_SOURCE_DIR}/samples/sample.wav"
                  "${PROJECT_SOURCE_DIR}/samples/sample.txt"
            DESTINATION share/doc/kestrel-cli)
endif()
include(CPack)
