# The Debian package (cpack -G DEB; scripts/package builds it from a tree configured for /usr).
# One package holds the program, the libraries, the headers and the package files for hosts; it
# registers the classes system-wide after installation and unregisters them before removal.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orva-class-deploy)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(ORVA_PACKAGE_MAINTAINER "OrvaClassDeploy developers <orva-class-deploy@localhost>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${ORVA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "publishes business objects as functions into an ERP suite's console catalogue")
# The extended description (cpack puts the summary above it and indents its lines).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The library that host programs load by program ID (OrvaClassDeploy.clsDeploywizard,
OrvaClassDeploy.clsPromulgator) to publish base-data types, bill types and reports into the
console catalogue, at once or through deployment packet files; the command-line tool
orva-deploy; the loader and the C and C++ headers for host programs.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Run-time dependencies from the libraries the binaries link (dpkg-shlibdeps). Our own libraries are
# found in the package's library folder, since installed binaries under /usr carry no search path.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# (dpkg-shlibdeps runs in the package's staging folder, so the folder is given relative to it.)
string(REGEX REPLACE "^/" "" ORVA_STAGED_LIBDIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${ORVA_STAGED_LIBDIR})
# Beyond what the binaries link: Qt's own translations, so that the buttons and menus Qt draws in the
# dialogs (message box buttons, the details toggle, text box menus) follow the login's language. The
# dialogs still open without them, in English.
# And fontconfig, which the library opens with dlopen for the dialog fonts (so dpkg-shlibdeps does not
# see it).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, libfontconfig1 (>= 2.12.6)")
# The shlibs file for packages that link the library. Our own postinst and postrm run ldconfig.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
set(CPACK_STRIP_FILES ON)

set(ORVA_PACKAGED_TOOL ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orva-deploy)
# Where `orva-deploy register --system` writes (docs/registry.md).
set(ORVA_SYSTEM_REGISTRY /etc/orva/registry)
foreach(script postinst prerm postrm)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in ${PROJECT_BINARY_DIR}/debian/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                   WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/postinst ${PROJECT_BINARY_DIR}/debian/prerm
                                      ${PROJECT_BINARY_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
