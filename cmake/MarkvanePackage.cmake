# The Debian package: the install rules add what a Debian system expects beside the program
# (manual page, software-centre metadata, copyright and changelog), and CPack's DEB generator
# packs the install of this build tree: `cpack --config build/CPackConfig.cmake`, or
# `cmake --build build --target package`.

set(MARKVANE_PACKAGE_PREFIX /usr)
set(MARKVANE_PACKAGE_MAINTAINER "Markvane developers <markvane@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the Debian package")
set(MARKVANE_METAINFO_ID io.github.markvane.markvane)

# The manual page names the folder the package installs the program into.
set(MARKVANE_MAN_PKGDIR ${MARKVANE_PACKAGE_PREFIX}/${CMAKE_INSTALL_LIBDIR}/markvane)
set(man_page ${CMAKE_BINARY_DIR}/packaging/markvane.1)
configure_file(${PROJECT_SOURCE_DIR}/resources/markvane.1.in ${man_page} @ONLY)

# Debian compresses manual pages and changelogs with gzip -9n (no name or time stamp, so the
# same tree always gives the same package).
function(markvane_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" gzip ${source} ${output}
    DEPENDS ${source} VERBATIM)
endfunction()
markvane_gzip(${man_page} ${man_page}.gz)
markvane_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(markvane_package_docs ALL
  DEPENDS ${man_page}.gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)

install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/${MARKVANE_METAINFO_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/markvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME markvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Markvane developers")
set(CPACK_PACKAGING_INSTALL_PREFIX ${MARKVANE_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "organiser for the web favorites of a Windows Favorites folder")
# The synopsis line comes from the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Markvane organises web favorites kept as Internet Shortcut files (*.url), the
folder tree Windows keeps as the Favorites folder. It shows the folders as a
tree and the favorites of a folder as a table (check mark, site name, URL,
update date, comment), edits them in place, copies, moves, hides and deletes
them (to the desktop's trash), fetches each site's last-modified date over
HTTP, sorts and prints the list and packs all favorites into an LHA archive.
.
Shortcut files written by Windows in Shift-JIS stay in Shift-JIS, so a
Favorites folder shared with Windows stays readable on both sides. The
interface is in Japanese.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MARKVANE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/markvane/markvane)
# Libraries come from the binaries; what they load at run time is named here: Qt's window
# system plugins (no window without them), the SVG plugins (the icons are SVG), libcurl (opened
# at the first web request, so the binary does not name it) and a font with Japanese glyphs
# (the whole interface is Japanese). The icon theme, the URL opener and Qt's
# Japanese translations (its own dialogs and buttons) only improve the window.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6svg6, libcurl4, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "breeze-icon-theme, xdg-utils, qt6-translations-l10n")
# CPack gives every package with a shared object under /usr/lib/*/ maintainer scripts that run
# ldconfig; ours is private (loaded by path), so the package needs no scripts at all. Naming
# control files that do not exist stops CPack writing its own and adds nothing.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_BINARY_DIR}/packaging/no-scripts/postinst ${CMAKE_BINARY_DIR}/packaging/no-scripts/postrm)
include(CPack)
