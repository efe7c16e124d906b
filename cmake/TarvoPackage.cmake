# cpack -G DEB: tarvo_<version>_amd64.deb. The program folder's files are
# installed under /usr/lib/tarvo, the rest at absolute paths (hence DESTDIR);
# only the components "Unspecified" (the program) and "package" (launcher,
# desktop entry, icon, schema) go in, never "database" or "registration"
# (a user's data, the user's registry).
set(CPACK_PACKAGE_NAME tarvo)
set(CPACK_PACKAGE_VENDOR "Tarvo")
set(CPACK_PACKAGE_CONTACT "Tarvo <assistenza@tarvo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Programma per il negozio: magazzino, vendite, fatture")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr/lib/tarvo)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr/lib/tarvo)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries the programs link (Qt 6, SQLite, libmdb3, libpq5) come from
# dpkg-shlibdeps; the rest is loaded at run time: the platform plugins, the
# Italian translations of Qt's dialogs, the reports' font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The shop gets the programs without their debugging information.
set(CPACK_STRIP_FILES ON)
# libxlsxwriter4 writes the Excel workbooks of "Esporta" (dpkg-shlibdeps
# finds it too).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core, libxlsxwriter4")
# tarvo-migra, built where libpq-dev is, brings libpq5 through dpkg-shlibdeps
# (tests/package checks it).
include(CPack)
