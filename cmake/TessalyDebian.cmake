# The Debian package (`make package`): the desktop integration beside the
# program's files, and CPack's DEB generator with the libraries' packages
# found by dpkg-shlibdeps.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GZIP gzip REQUIRED)

set(pkg_src "${CMAKE_SOURCE_DIR}/packaging")
set(pkg_out "${CMAKE_BINARY_DIR}/packaging")

# The icon: the drawing, and pictures of it in the sizes menus ask for.
set(icon_sizes 16 22 24 32 48 64 128 256)
set(icon_pngs)
foreach(size IN LISTS icon_sizes)
  set(png "${pkg_out}/icons/${size}x${size}/tessaly.png")
  add_custom_command(OUTPUT "${png}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${pkg_out}/icons/${size}x${size}"
    COMMAND "${RSVG_CONVERT}" -w ${size} -h ${size} -o "${png}" "${pkg_src}/tessaly.svg"
    DEPENDS "${pkg_src}/tessaly.svg" VERBATIM)
  list(APPEND icon_pngs "${png}")
  install(FILES "${png}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()
install(FILES "${pkg_src}/tessaly.svg" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

# The manual pages and the changelog, compressed as Debian wants them.
set(gz_files)
foreach(pair IN ITEMS "tessaly.1;tessaly.1.gz" "tessaly-cli.1;tessaly-cli.1.gz"
                      "changelog;changelog.Debian.gz")
  list(GET pair 0 in)
  list(GET pair 1 out)
  add_custom_command(OUTPUT "${pkg_out}/${out}"
    COMMAND sh -c "\"${GZIP}\" -9n -c \"${pkg_src}/${in}\" > \"${pkg_out}/${out}\""
    DEPENDS "${pkg_src}/${in}" VERBATIM)
  list(APPEND gz_files "${pkg_out}/${out}")
endforeach()
add_custom_target(tessaly_packaging_files ALL DEPENDS ${icon_pngs} ${gz_files})

install(FILES "${pkg_out}/tessaly.1.gz" "${pkg_out}/tessaly-cli.1.gz"
  DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${pkg_out}/changelog.Debian.gz" "${pkg_src}/copyright"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/tessaly")
install(FILES "${pkg_src}/tessaly.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${pkg_src}/tessaly-mime.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages"
  RENAME tessaly.xml)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_DEBIAN_PACKAGE_RELEASE "${TESSALY_DEBIAN_REVISION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_PACKAGE_CONTACT "Tessaly developers <packages@tessaly.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tessaly.org")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "place a whole grade of students into new classes")
set(CPACK_PACKAGE_DESCRIPTION
  "Tessaly places a whole grade of students into new classes. A teacher imports
score tables (Excel workbooks or table text pasted from a spreadsheet), sets
the rules (class-type ranges, score bands, balance levels, fuzzy-pinyin pairs)
and divides: every class resembles its range in average total, subject
averages, gender mix and score bands, and students whose names sound alike end
up in different classes.

This package holds the desktop program tessaly, with its help page and
demonstration video, and the command-line program tessaly-cli.")
# The libraries' packages, from the executables themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The demonstration video (WebM) plays through GStreamer; Chinese needs a
# CJK font, and Qt's own dialog texts (buttons, file dialogs) come in Chinese
# from Qt's translation files.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "gstreamer1.0-plugins-good, qt6-translations-l10n, fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
