# What a clinic computer installs: the program, its help page, the menu entry and the icon, packed as a
# Debian package by CPack (`cmake --build build --target package`, or `cpack` in the build folder).

include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/lichuan.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/lichuan.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/lichuan-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME lichuan.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lichuan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "栎川软件工作室")
set(CPACK_PACKAGE_CONTACT "栎川软件工作室 <support@lichuan.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prescription workstation for small Chinese-medicine clinics")
set(CPACK_PACKAGE_DESCRIPTION
    "栎川 writes, prices, settles and prints Chinese-medicine prescriptions, finds every item by pinyin
initials, and keeps the drug catalog, templates, outpatient log, statistics and medical records in
encrypted database files in the user's home folder, with a daily backup.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the program links (Qt 6, SQLCipher, CUPS, the spreadsheet libraries) are found by
# dpkg-shlibdeps; what it cannot see is listed: the two font packages the Song face and its fallback come
# from, and Qt's own Chinese texts (button captions of message boxes and file dialogs).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-arphic-uming, fonts-noto-cjk, qt6-translations-l10n")
# Typing Chinese needs an input method: ibus works through Qt's own plugin; fcitx5 users need this plugin.
# A recommendation, so that apt installs it by default but a station that uses ibus may go without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fcitx5-frontend-qt6")
# Removing the package removes only what it installed: the data folders and backups in the users' homes
# are no files of the package and stay as they are.

include(CPack)
