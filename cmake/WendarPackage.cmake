# The Debian package: cpack -G DEB in the build tree gives wendar_<version>_<arch>.deb with the
# install layout of WendarInstall.cmake under /usr. The shared-library dependencies are read from
# the executables (dpkg-shlibdeps); what the program loads without linking is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wendar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watches database views, web pages, FTP directories and mailboxes for news")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Wendar checks the sources of its check items on demand or on a timer, stores every new finding\n"
       "as a message in a local database and announces it. wendar is the desktop program, wendar-cli\n"
       "the same core from a shell or a systemd user service.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Wendar developers <wendar@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${WENDAR_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The page view runs QtWebEngineProcess (named here: libqt6webenginecore6 alone does not pull it in);
# Qt's own texts (buttons, file dialogs) in Chinese come from Qt's translations;
# wendar opens libcurl, libsndfile, libpulse-simple, libodbc and libssl when first needed, so they
# are not among the libraries the package's dependencies are read from (wendar-cli links them today);
# remote databases need their ODBC drivers; the Chinese texts need a CJK font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
if(TARGET wendar)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6webenginecore6-bin, qt6-translations-l10n, libcurl4, libsndfile1, libpulse0, libodbc2, libssl3")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsqliteodbc, odbc-postgresql, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-mariadb")
include(CPack)
