# The Debian package (cpack -G DEB from a build of the window): both programs, the desktop entry,
# the icon at the icon theme's sizes, kiss2bmp's manual page, the copyright and changelog.
set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)
set(icon_sizes 16 22 24 32 48 64 128 256)
add_custom_command(
    OUTPUT ${packaging_dir}/kiss2bmp.1.gz ${packaging_dir}/changelog.gz
           ${packaging_dir}/icons/256x256/kissconv.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_dir}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/cli/kiss2bmp.1 > ${packaging_dir}/kiss2bmp.1.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog
            > ${packaging_dir}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:render_icon>
            ${PROJECT_SOURCE_DIR}/ui/pictures/kissconv.svg ${packaging_dir}/icons ${icon_sizes}
    DEPENDS ${PROJECT_SOURCE_DIR}/cli/kiss2bmp.1 ${PROJECT_SOURCE_DIR}/packaging/changelog
            ${PROJECT_SOURCE_DIR}/ui/pictures/kissconv.svg render_icon
    VERBATIM)
add_custom_target(package_files ALL DEPENDS ${packaging_dir}/kiss2bmp.1.gz)

install(FILES ${packaging_dir}/kiss2bmp.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${packaging_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
foreach(size IN LISTS icon_sizes)
    install(FILES ${packaging_dir}/icons/${size}x${size}/kissconv.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kissconv)
set(CPACK_PACKAGE_VENDOR "KISS file convertor developers")
set(CPACK_PACKAGE_CONTACT "KISS file convertor developers <kissconv@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert the cels of KiSS paper dolls into BMP files")
set(CPACK_PACKAGE_DESCRIPTION
    "The KISS file convertor turns the cels of a KiSS paper doll into 8-bit\n"
    "palettised BMP files and writes a report of HTML applet parameter lines.\n"
    "It reads dolls from their configuration file or straight from their .lzh\n"
    "or .zip archive. It comes as a window, kissconv, and as a batch command,\n"
    "kiss2bmp.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins of the window, and a font with the Japanese of its messages.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk | fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/kissconv")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
