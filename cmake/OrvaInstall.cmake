# What `cmake --install` puts where (GNUInstallDirs layout):
#   bin/orva-deploy
#   <libdir>/libOrvaClassDeploy.so.0.1.0 (+ .so.0, .so), the views library, the loader
#   <libdir>/orva-class-deploy/libOrvaPostgres.so  the PostgreSQL backend module
#   <includedir>/OrvaClassDeploy/...   the C++ headers a C++ host needs (see ORVA_PUBLIC_HEADERS),
#                                      included as <OrvaClassDeploy/api/clsDeploywizard.h>
#   <includedir>/orva/...              the C header of hosts that load the library by program ID
#   <libdir>/cmake/OrvaClassDeploy     find_package(OrvaClassDeploy) with imported targets
#   <libdir>/pkgconfig/*.pc            pkg-config files
#   share/orva/translations            the PO files the string loader reads
#   share/doc/orva-class-deploy        README, the guides in docs/ (host-api.md among them), examples/ and the licence
#   lib/python3/dist-packages          the Python package orva_automation (ORVA_INSTALL_PYTHONDIR)
#   share/man/man1/orva-deploy.1.gz    the manual page, generated from the program's own help
#   <bash-completion folder>/orva-deploy  bash completion (ORVA_BASH_COMPLETION_DIR)
#   share/zsh/vendor-completions/_orva-deploy  zsh completion (ORVA_ZSH_COMPLETION_DIR)

include(CMakePackageConfigHelpers)

set(ORVA_CMAKE_CONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/OrvaClassDeploy)

# Installed programs and libraries find the installed libraries through $ORIGIN, so any prefix works;
# when the library folder is one the dynamic linker searches anyway (/usr/lib/...), they carry no
# search path at all, as Debian's packages do.
set(ORVA_INSTALL_LIBDIR_FULL ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
if(ORVA_INSTALL_LIBDIR_FULL IN_LIST CMAKE_C_IMPLICIT_LINK_DIRECTORIES
   OR ORVA_INSTALL_LIBDIR_FULL IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
    set(ORVA_BIN_INSTALL_RPATH "")
    set(ORVA_LIB_INSTALL_RPATH "")
else()
    file(RELATIVE_PATH bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
    set(ORVA_BIN_INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
    set(ORVA_LIB_INSTALL_RPATH "$ORIGIN")
endif()
set_target_properties(orva-deploy PROPERTIES INSTALL_RPATH "${ORVA_BIN_INSTALL_RPATH}")
if(TARGET OrvaClassDeployViews)
    set_target_properties(OrvaClassDeployViews PROPERTIES INSTALL_RPATH "${ORVA_LIB_INSTALL_RPATH}")
endif()

# Each rule names its install component, which is its Debian package (cmake/OrvaPackage.cmake):
# library, loader, dev (headers, package files, the .so links) and tool.
install(TARGETS OrvaClassDeploy LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
        NAMELINK_COMPONENT dev)
install(TARGETS orva-deploy RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
# The loader and its one C header, for hosts that create the classes by program ID.
install(TARGETS OrvaLoader LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT loader NAMELINK_COMPONENT dev
        PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orva COMPONENT dev)
if(TARGET OrvaClassDeployViews)
    # Loaded by its soname only (WindowUiServices), never linked by hosts: no development link.
    install(TARGETS OrvaClassDeployViews LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
            NAMELINK_SKIP)
endif()
# The PostgreSQL backend module, in the library's own module folder (storage/ServerDatabase.h): loaded
# by path, never linked, so no soname and no development link. It finds the library it needs already
# loaded, and libpq in the system's folders or beside the library.
install(TARGETS OrvaPostgres LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/${ORVA_MODULE_DIR} COMPONENT library)
if(ORVA_LIB_INSTALL_RPATH)
    set_target_properties(OrvaPostgres PROPERTIES INSTALL_RPATH "$ORIGIN/..")
endif()
file(GLOB ORVA_PO_FILES ${ORVA_DATA_DIR}/translations/*.po)
install(FILES ${ORVA_PO_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/orva/translations COMPONENT library)

# The C++ headers of the public classes and of what they take and return, installed under one folder
# of their own and included by that path (<OrvaClassDeploy/api/clsDeploywizard.h>), so that a host's
# own api/ or core/ folders never clash with ours. In the tree they stay where they are and name each
# other by their folder ("automation/Object.h"); the copies for hosts are written here, at configure
# time, with those includes rewritten to the installed path. A public header that includes a header
# of ours outside this list stops the configuration: an installed header must compile with nothing
# but the installed ones (the install test compiles each on its own).
set(ORVA_PUBLIC_HEADERS
    account/JournalOrigin.h api/clsDeploywizard.h api/clsPromulgator.h api/Registration.h
    automation/AutomationError.h automation/ClassRegistry.h automation/Object.h automation/Text.h
    automation/Variant.h
    bag/Dictionary.h bag/SharedText.h bag/Vector.h
    core/DeploymentEngine.h
    services/PropertyStore.h)
set(ORVA_PUBLIC_INCLUDE_DIR ${PROJECT_BINARY_DIR}/include)
foreach(header IN LISTS ORVA_PUBLIC_HEADERS)
    set(source ${PROJECT_SOURCE_DIR}/src/${header})
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(READ ${source} text)
    string(REGEX MATCHALL "#include \"[^\"]+\"" includes "${text}")
    foreach(include IN LISTS includes)
        string(REGEX REPLACE "#include \"([^\"]+)\"" "\\1" included "${include}")
        if(NOT included IN_LIST ORVA_PUBLIC_HEADERS)
            message(FATAL_ERROR "The public header src/${header} includes ${included}, which is not installed")
        endif()
        string(REPLACE "${include}" "#include <OrvaClassDeploy/${included}>" text "${text}")
    endforeach()
    # Rewritten only when it changed, so that a configuration does not make its users out of date.
    set(target ${ORVA_PUBLIC_INCLUDE_DIR}/OrvaClassDeploy/${header})
    file(WRITE ${target}.new "${text}")
    file(COPY_FILE ${target}.new ${target} ONLY_IF_DIFFERENT)
    file(REMOVE ${target}.new)
endforeach()
install(DIRECTORY ${ORVA_PUBLIC_INCLUDE_DIR}/OrvaClassDeploy DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        COMPONENT dev)
# Hosts built in this tree (examples) include them the same way. A file of ours must not include a
# header both ways: the copy and the original are two files to the compiler.
target_include_directories(OrvaClassDeploy INTERFACE $<BUILD_INTERFACE:${ORVA_PUBLIC_INCLUDE_DIR}>)

# Named after the package, as Debian wants (/usr/share/doc/<package>), not after the project.
set(ORVA_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/orva-class-deploy)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${ORVA_INSTALL_DOCDIR} COMPONENT tool)
file(GLOB ORVA_GUIDES ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${ORVA_GUIDES} DESTINATION ${ORVA_INSTALL_DOCDIR} COMPONENT tool)
# The licence beside them in a plain install; a package has it as its copyright file instead.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${ORVA_INSTALL_DOCDIR} COMPONENT licence)

# The host examples (C, Python, and the C++ host built through find_package, which also builds the C
# example beside it), as a host developer copies them.
install(FILES ${PROJECT_SOURCE_DIR}/examples/c/deploy_packet.c DESTINATION ${ORVA_INSTALL_DOCDIR}/examples/c
        COMPONENT tool)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/examples/python/deploy_packet.py
        DESTINATION ${ORVA_INSTALL_DOCDIR}/examples/python COMPONENT tool)
install(FILES ${PROJECT_SOURCE_DIR}/tests/install/cxx-host/CMakeLists.txt
              ${PROJECT_SOURCE_DIR}/tests/install/cxx-host/main.cpp ${PROJECT_SOURCE_DIR}/examples/c/deploy_packet.c
        DESTINATION ${ORVA_INSTALL_DOCDIR}/examples/cpp COMPONENT tool)

# The Python package orva_automation (ctypes over the loader), in lib/python3/dist-packages below the
# prefix: where Debian keeps the modules of its packages for every Python 3, so the package's /usr
# install is found with nothing set. The folder is fixed rather than taken from the configuring
# interpreter (Python3_SITELIB): that may be a private one (pyenv, a venv) outside any prefix, and the
# Debian package installs into /usr whatever prefix the build was configured with. Under another
# prefix a host sets PYTHONPATH=<prefix>/lib/python3/dist-packages. ORVA_INSTALL_PYTHONDIR (relative
# to the prefix) chooses another folder.
set(ORVA_INSTALL_PYTHONDIR lib/python3/dist-packages CACHE STRING "Where the Python package orva_automation goes")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/orva_automation DESTINATION ${ORVA_INSTALL_PYTHONDIR}
        COMPONENT python FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)

# The manual page, written from `orva-deploy --help` and every command's --help, so it cannot drift
# from the program. Compressed without a time stamp, so the same build gives the same file.
set(ORVA_MAN_PAGE ${PROJECT_BINARY_DIR}/man/orva-deploy.1)
add_custom_command(
    OUTPUT ${ORVA_MAN_PAGE} ${ORVA_MAN_PAGE}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/make-manpage.sh $<TARGET_FILE:orva-deploy> ${PROJECT_VERSION}
            ${ORVA_MAN_PAGE}
    COMMAND gzip -9 -n -f -k ${ORVA_MAN_PAGE}
    DEPENDS orva-deploy ${PROJECT_SOURCE_DIR}/cmake/make-manpage.sh
    COMMENT "Writing the manual page of orva-deploy" VERBATIM)
add_custom_target(orva_man_page ALL DEPENDS ${ORVA_MAN_PAGE}.gz)
install(FILES ${ORVA_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)

# Bash completion goes where bash-completion loads it on demand: its pkg-config completionsdir, taken
# relative to bash-completion's own prefix so that it follows this install's prefix, else
# share/bash-completion/completions. The file is named after the command it completes.
find_package(PkgConfig QUIET)
set(orva_completion_dir ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
if(PKG_CONFIG_FOUND)
    pkg_get_variable(orva_completions_dir bash-completion completionsdir)
    pkg_get_variable(orva_completions_prefix bash-completion prefix)
    if(orva_completions_dir AND orva_completions_prefix)
        string(FIND "${orva_completions_dir}" "${orva_completions_prefix}/" orva_at)
        if(orva_at EQUAL 0)
            file(RELATIVE_PATH orva_completion_dir ${orva_completions_prefix} ${orva_completions_dir})
        endif()
    endif()
endif()
set(ORVA_BASH_COMPLETION_DIR ${orva_completion_dir}
    CACHE STRING "Folder of bash completion files, relative to the install prefix or absolute")
install(FILES ${PROJECT_SOURCE_DIR}/data/completion/orva-deploy.bash DESTINATION ${ORVA_BASH_COMPLETION_DIR}
        RENAME orva-deploy COMPONENT tool)
# Zsh completion, from the same answers of the program, in the folder Debian's zsh puts on fpath.
set(ORVA_ZSH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions
    CACHE STRING "Folder of zsh completion functions, relative to the install prefix or absolute")
install(FILES ${PROJECT_SOURCE_DIR}/data/completion/_orva-deploy DESTINATION ${ORVA_ZSH_COMPLETION_DIR}
        COMPONENT tool)

# find_package(OrvaClassDeploy): the config file declares the imported targets itself rather than
# through install(EXPORT), because the library is assembled from OBJECT libraries whose usage
# requirements (SQLite, ICU, libpq, ...) are private to the shared library and must not reach hosts.
set(ORVA_LIBRARY_FILE $<TARGET_FILE_NAME:OrvaClassDeploy>)
set(ORVA_LOADER_FILE $<TARGET_FILE_NAME:OrvaLoader>)
set(ORVA_LOADER_SONAME $<TARGET_SONAME_FILE_NAME:OrvaLoader>)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OrvaClassDeployConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/cmake/OrvaClassDeployConfig.cmake.configured
                              INSTALL_DESTINATION ${ORVA_CMAKE_CONFIG_DIR}
                              PATH_VARS CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_INCLUDEDIR)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/cmake/OrvaClassDeployConfig.cmake
     INPUT ${PROJECT_BINARY_DIR}/cmake/OrvaClassDeployConfig.cmake.configured)
# Same major version: the library's soname changes only with it.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmake/OrvaClassDeployConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cmake/OrvaClassDeployConfig.cmake
              ${PROJECT_BINARY_DIR}/cmake/OrvaClassDeployConfigVersion.cmake
        DESTINATION ${ORVA_CMAKE_CONFIG_DIR} COMPONENT dev)

# pkg-config files. They hold absolute paths, so they are written when installing, with the prefix
# of that install (`cmake --install --prefix DIR` or a package's /usr), not the configured one.
set(ORVA_PKGCONFIG_FILES orva-class-deploy orva-loader)
install(CODE "
    set(ORVA_PC_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
    set(ORVA_PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
    set(ORVA_PC_VERSION \"${PROJECT_VERSION}\")
    # pkg-config splits flags at blanks: a blank in the prefix is written escaped.
    string(REPLACE \" \" \"\\\\ \" ORVA_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    # One folder per destination, so installs into different prefixes do not share a file.
    string(MD5 destination \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    foreach(name ${ORVA_PKGCONFIG_FILES})
        configure_file(\"${PROJECT_SOURCE_DIR}/cmake/\${name}.pc.in\"
                       \"${PROJECT_BINARY_DIR}/pkgconfig/\${destination}/\${name}.pc\" @ONLY)
        file(INSTALL \"${PROJECT_BINARY_DIR}/pkgconfig/\${destination}/\${name}.pc\"
             DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
    endforeach()
" COMPONENT dev)
