# The Debian packages (cpack -G DEB; scripts/package builds them from a tree configured for /usr).
#
# The usual split, one package per install component, so that a host's package pulls in only what it
# runs with, and each shared library's package is named after its soname:
#   liborvaclassdeploy0      (component library) libOrvaClassDeploy.so.0, the dialog views module it
#                            loads for windows (libOrvaClassDeployViews.so.0: loaded by soname, never
#                            linked by hosts, so it has no package of its own) and the translations
#   liborvaloader0           (component loader)  libOrvaLoader.so.0: a C host links only this and finds
#                            the library through the registry, so it does not depend on the library
#   liborvaclassdeploy-dev   (component dev)     headers, pkg-config and CMake files, the .so links
#   orva-class-deploy        (component tool)    orva-deploy, its manual page, shell completion, the
#                            README, guides and host examples, and the system-wide registration of
#                            the classes
#   python3-orva-automation  (component python)  the Python package orva_automation, ctypes over the
#                            loader: Debian's name for a Python module's package, architecture all,
#                            so a Python host installs it without the C development files
# The registration scripts (postinst: `orva-deploy register --system`, prerm: unregister) belong to
# the tool's package: they run the tool, which depends on the library it registers, so the library is
# always there when they run. The library's package recommends the tool, so that an installation
# through apt registers the classes for hosts that create them by program ID.
# Install rules that name no component land in the tool's package (CMAKE_INSTALL_DEFAULT_COMPONENT_NAME
# in the top CMakeLists.txt); the package test fails when a file lands in a package it does not
# belong to.
#
# Every package carries /usr/share/doc/<package>/copyright (from LICENSE) and changelog.Debian.gz;
# the libraries' packages let dpkg run ldconfig through its trigger (cmake/debian/ldconfig-trigger.cmake),
# and their shlibs accept any later compatible build (>= this version: the soname changes with the
# interface). lintian accepts the packages with the warnings listed and explained in
# tests/install/package-test.sh.

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL library loader dev tool python)
set(CPACK_PACKAGE_NAME orva-class-deploy)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The packaging's own revision (Version: 0.1.0-1): packages made from a release, not native ones.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian's tools take the maintainer from DEBFULLNAME and DEBEMAIL; a packager may also set it here.
# The fallback names the project at an address of the documentation domain (RFC 2606), which lintian
# accepts as a mail host but which nobody mistakes for a real one.
set(orva_default_maintainer "OrvaClassDeploy developers <orva-class-deploy@example.org>")
if(DEFINED ENV{DEBEMAIL})
    set(orva_default_maintainer "$ENV{DEBEMAIL}")
    if(DEFINED ENV{DEBFULLNAME} AND NOT "$ENV{DEBEMAIL}" MATCHES "<")
        set(orva_default_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
    endif()
endif()
set(ORVA_PACKAGE_MAINTAINER "${orva_default_maintainer}" CACHE STRING "Maintainer field of the Debian packages")
# Trees configured before kept the old placeholder at localhost in their cache, which no mail reaches.
if(ORVA_PACKAGE_MAINTAINER MATCHES "@localhost>?$")
    set_property(CACHE ORVA_PACKAGE_MAINTAINER PROPERTY VALUE "${orva_default_maintainer}")
endif()
set(CPACK_PACKAGE_CONTACT "${ORVA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)

# Names, sections and descriptions (a summary line, then lines of at most 80 characters).
set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME liborvaclassdeploy0)
set(CPACK_DEBIAN_LOADER_PACKAGE_NAME liborvaloader0)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME liborvaclassdeploy-dev)
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME orva-class-deploy)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-orva-automation)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION
    "publishes business objects into an ERP suite's console catalogue
The library that host programs load by program ID
(OrvaClassDeploy.clsDeploywizard, OrvaClassDeploy.clsPromulgator) to publish
base-data types, bill types and reports into the console catalogue, at once or
through deployment packet files, with the deployment wizard and the publish
dialog.")
set(CPACK_DEBIAN_LOADER_DESCRIPTION
    "creates OrvaClassDeploy's classes by program ID from C
The loader a C host (or any language with a C foreign-function interface) links
to create the classes of registered in-process servers by program ID and call
their members by name, without linking the library itself.")
set(CPACK_DEBIAN_DEV_DESCRIPTION
    "development files of OrvaClassDeploy
The C header of the loader and the C++ headers of the library, the pkg-config
files (orva-loader, orva-class-deploy) and the CMake package
(find_package(OrvaClassDeploy)) for building host programs.")
set(CPACK_DEBIAN_TOOL_DESCRIPTION
    "command-line tool for OrvaClassDeploy's console catalogues
orva-deploy creates catalogue databases, packs and inspects packet files,
deploys them, and opens the deployment wizard and the publish dialog. The
package registers the library's classes system-wide for host programs.")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION
    "Python binding of OrvaClassDeploy's automation loader
The Python 3 package orva_automation: ctypes over libOrvaLoader.so.0, with
variants converted to and from Python values, objects that release themselves,
errors as an exception with number, description and source, and vectors
iterable from 1.")

# Dependencies: the libraries the binaries link, found by dpkg-shlibdeps, and between our packages, by
# component, with this exact version. dpkg-shlibdeps runs in each component's staging folder and
# must find our own libraries there or in the library component's folder beside it (installed
# binaries under /usr carry no search path).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(REGEX REPLACE "^/" "" ORVA_STAGED_LIBDIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${ORVA_STAGED_LIBDIR} ../library/${ORVA_STAGED_LIBDIR})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENT_DEV_DEPENDS library loader)
set(CPACK_COMPONENT_TOOL_DEPENDS library)
set(CPACK_COMPONENT_PYTHON_DEPENDS loader)
# Beyond what the binaries link: Qt's own translations, so that the buttons and menus Qt draws in the
# dialogs (message box buttons, the details toggle, text box menus) follow the login's language. The
# dialogs still open without them, in English.
# And the libraries the library opens with dlopen when first needed, which dpkg-shlibdeps does not see:
# fontconfig for the dialog fonts, SQLite for the accounts (sqlite3_prepare_v3 came with 3.20.0), ICU
# for upper-casing beyond ASCII (its package is named after the major version built against) and
# libgettextpo for the translation files.
string(REGEX MATCH "^[0-9]+" ORVA_ICU_MAJOR "${ICU_VERSION}")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_DEPENDS
    "qt6-translations-l10n, libfontconfig1 (>= 2.12.6), libsqlite3-0 (>= 3.20.0), libicu${ORVA_ICU_MAJOR} (>= ${ICU_VERSION}), libgettextpo0 (>= 0.21)")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_RECOMMENDS "orva-class-deploy")
set(CPACK_DEBIAN_LOADER_PACKAGE_RECOMMENDS "liborvaclassdeploy0")
# The Python package runs on any Python 3 and creates the classes through the loader and the registry.
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3:any")
set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "liborvaclassdeploy0")
# The shlibs files for packages that link the libraries.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_STRIP_FILES ON)

set(ORVA_PACKAGED_TOOL ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orva-deploy)
# Where `orva-deploy register --system` writes (docs/registry.md).
set(ORVA_SYSTEM_REGISTRY /etc/orva/registry)
foreach(script postinst prerm postrm)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in ${PROJECT_BINARY_DIR}/debian/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                   WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_TOOL_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/postinst ${PROJECT_BINARY_DIR}/debian/prerm
                                           ${PROJECT_BINARY_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# cpack writes postinst and postrm scripts that call ldconfig into every package holding a library in
# /usr/lib; Debian has dpkg's ldconfig trigger for that. This replaces them in the built packages.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian/ldconfig-trigger.cmake)

# copyright and changelog.Debian.gz of each package. Only a component install (cpack) puts them in:
# a plain `cmake --install` has no Debian documentation folders.
set(ORVA_DEBIAN_DATE "Mon, 07 Dec 2026 12:00:00 +0000")
# The copyright file in Debian's machine-readable form, from the licence file: its notice, and its
# permission text as the licence paragraph (lines indented by one space, empty lines as " .").
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" notice "${licence}")
set(ORVA_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${licence}" "Permission is hereby granted" start)
string(SUBSTRING "${licence}" ${start} -1 licence)
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
set(ORVA_LICENSE_TEXT " ${licence}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${PROJECT_BINARY_DIR}/debian/copyright @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
                   COMMAND gzip -9 -n -f -k ${PROJECT_BINARY_DIR}/debian/changelog.Debian
                   DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian
                   COMMENT "Compressing the Debian changelog" VERBATIM)
add_custom_target(orva_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
    string(TOUPPER ${component} upper)
    install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}
            COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

include(CPack)
