# The Debian package (cpack -G DEB from a build of the window): both programs, the desktop entry
# and the file type of a configuration, the icon at the icon theme's sizes, the manual pages, the
# copyright and changelog.
set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)
set(icon_sizes 16 22 24 32 48 64 128 256)
add_custom_command(
    OUTPUT ${packaging_dir}/kiss2bmp.1.gz ${packaging_dir}/kissconv.1.gz
           ${packaging_dir}/changelog.gz ${packaging_dir}/icons/256x256/kissconv.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_dir}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/cli/kiss2bmp.1 > ${packaging_dir}/kiss2bmp.1.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/ui/kissconv.1 > ${packaging_dir}/kissconv.1.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog
            > ${packaging_dir}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:render_icon>
            ${PROJECT_SOURCE_DIR}/ui/pictures/kissconv.svg ${packaging_dir}/icons ${icon_sizes}
    DEPENDS ${PROJECT_SOURCE_DIR}/cli/kiss2bmp.1 ${PROJECT_SOURCE_DIR}/ui/kissconv.1
            ${PROJECT_SOURCE_DIR}/packaging/changelog
            ${PROJECT_SOURCE_DIR}/ui/pictures/kissconv.svg render_icon
    VERBATIM)
add_custom_target(package_files ALL DEPENDS ${packaging_dir}/kiss2bmp.1.gz)

install(FILES ${packaging_dir}/kiss2bmp.1.gz ${packaging_dir}/kissconv.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kissconv.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
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
# One string: CMake would join a list of them with ';'. CPack puts the summary line above it.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "The KISS file convertor turns the cels of a KiSS paper doll into 8-bit\n"
    "palettised BMP (or PNG) files and writes a report of HTML applet parameter\n"
    "lines. It can also draw a set as one picture and write a web page that\n"
    "plays the doll. It reads dolls from their configuration file or straight\n"
    "from their .lzh or .zip archive. It comes as a window, kissconv, and as a\n"
    "batch command, kiss2bmp.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform plugins of the window, a font with the Japanese of its messages, and xdg-open,
# which starts the editor on the report.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-noto-cjk | fonts-ipafont-gothic, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/kissconv")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
