# Run by cpack after it has built the packages (CPACK_POST_BUILD_SCRIPTS). cpack gives every package
# holding a shared library in /usr/lib a postinst and a postrm that call ldconfig; Debian runs
# ldconfig once per dpkg run through its trigger instead. For each such package this drops the two
# scripts and declares the trigger (DEBIAN/triggers: "activate-noawait ldconfig"), then builds the
# package again from the same files. A script that does anything besides calling ldconfig is not
# ours to drop: the build stops naming it.

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb -R "${package}" "${tree}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dpkg-deb could not unpack ${package}")
    endif()
    set(changed FALSE)
    foreach(script postinst postrm)
        set(file "${tree}/DEBIAN/${script}")
        if(NOT EXISTS "${file}")
            continue()
        endif()
        file(STRINGS "${file}" lines)
        set(code "")
        foreach(line IN LISTS lines)
            if(NOT line MATCHES "^[ \t]*(#.*)?$")
                string(STRIP "${line}" line)
                string(APPEND code "${line};")
            endif()
        endforeach()
        if(code MATCHES "ldconfig")
            if(NOT code MATCHES "^set -e;(if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then;)?ldconfig;(fi;)?$")
                message(FATAL_ERROR "${package}: ${script} calls ldconfig beside other work: ${code}")
            endif()
            file(REMOVE "${file}")
            set(changed TRUE)
        endif()
    endforeach()
    if(changed)
        file(WRITE "${tree}/DEBIAN/triggers" "activate-noawait ldconfig\n")
        # md5sums and the file list are unchanged: only control files differ.
        execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build "${tree}" "${package}"
                        OUTPUT_QUIET RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "dpkg-deb could not build ${package} again")
        endif()
    endif()
    file(REMOVE_RECURSE "${tree}")
endforeach()
