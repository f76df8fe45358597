# JUCE stays Debian's, untouched on disk; the few faults of it that reach our users are mended by
# the patches in cmake/juce-patches/, one per fault, applied in name order. Each JUCE module a
# patch touches is copied from the installed JUCE into the build tree and patched there, and every
# JUCE target is pointed at the copy, so the plug-in, the host kit, the tests and the benchmarks
# all compile one and the same JUCE.
#
# A patch is a plain-text header (what the fault is and who meets it, why this is the smallest
# change, the tests that fail without it) followed by a unified diff whose paths are relative to
# JUCE's modules folder (--- a/juce_gui_basics/...). Most of JUCE's sources end their lines in CRLF
# and a patch's lines must keep them, so make the diff with diff -u from two copies of the module
# rather than by hand.
#
# Call once, right after find_package (JUCE), before any target uses a JUCE module.
function (echovane_patch_juce_modules patch_dir)
    file (GLOB patches CONFIGURE_DEPENDS "${patch_dir}/*.patch")
    list (SORT patches)

    if (NOT patches)
        return ()
    endif ()

    find_program (ECHOVANE_PATCH_PROGRAM patch)

    if (NOT ECHOVANE_PATCH_PROGRAM)
        message (FATAL_ERROR "The JUCE patches in ${patch_dir} need the 'patch' program (Debian package 'patch').")
    endif ()

    # The modules the patches touch, from their file paths (relative to JUCE's modules folder).
    set (modules)
    set (fingerprint "${JUCE_MODULES_DIR};${JUCE_VERSION}")

    foreach (patch IN LISTS patches)
        file (STRINGS "${patch}" file_lines REGEX "^(---|\\+\\+\\+) [ab]/")

        foreach (line IN LISTS file_lines)
            if (NOT line MATCHES "^(---|\\+\\+\\+) [ab]/([^/\t ]+)/")
                message (FATAL_ERROR "${patch}: '${line}' does not name a file inside a JUCE module")
            endif ()

            list (APPEND modules "${CMAKE_MATCH_2}")
        endforeach ()

        file (SHA256 "${patch}" patch_hash)
        get_filename_component (patch_name "${patch}" NAME)
        string (APPEND fingerprint ";${patch_name}=${patch_hash}")
    endforeach ()

    list (REMOVE_DUPLICATES modules)

    foreach (module IN LISTS modules)
        if (NOT IS_DIRECTORY "${JUCE_MODULES_DIR}/${module}")
            message (FATAL_ERROR "The JUCE patches touch '${module}', which is not a module in ${JUCE_MODULES_DIR}")
        endif ()
    endforeach ()

    set (patched_root "${CMAKE_BINARY_DIR}/juce-patched")
    set (patched_modules "${patched_root}/modules")
    set (stamp "${patched_root}/applied.txt")

    # A configure run with the same patches on the same JUCE keeps the copy, so nothing rebuilds.
    set (applied "")

    if (EXISTS "${stamp}")
        file (READ "${stamp}" applied)
    endif ()

    foreach (module IN LISTS modules)
        if (NOT IS_DIRECTORY "${patched_modules}/${module}")
            set (applied "")
        endif ()
    endforeach ()

    if (NOT applied STREQUAL fingerprint)
        file (REMOVE_RECURSE "${patched_root}")
        file (MAKE_DIRECTORY "${patched_modules}")

        foreach (module IN LISTS modules)
            file (COPY "${JUCE_MODULES_DIR}/${module}" DESTINATION "${patched_modules}")

            # The copy keeps the installed files' old times; a fresh copy must be newer than any
            # object built from an earlier one, or a patch taken away would leave its code behind.
            file (GLOB_RECURSE copied_files LIST_DIRECTORIES FALSE "${patched_modules}/${module}/*")
            file (TOUCH_NOCREATE ${copied_files})
        endforeach ()

        foreach (patch IN LISTS patches)
            get_filename_component (patch_name "${patch}" NAME)
            execute_process (
                COMMAND "${ECHOVANE_PATCH_PROGRAM}" -p1 --forward --batch --fuzz=0 --no-backup-if-mismatch -i "${patch}"
                WORKING_DIRECTORY "${patched_modules}"
                RESULT_VARIABLE patch_result
                OUTPUT_VARIABLE patch_output
                ERROR_VARIABLE patch_output)

            if (NOT patch_result EQUAL 0)
                file (REMOVE_RECURSE "${patched_root}")
                message (FATAL_ERROR "The JUCE patch ${patch_name} does not apply to the JUCE in ${JUCE_MODULES_DIR}:\n${patch_output}")
            endif ()

            message (STATUS "JUCE patch applied: ${patch_name}")
        endforeach ()

        file (WRITE "${stamp}" "${fingerprint}")
    endif ()

    # Point JUCE's own targets (module libraries, plug-in wrappers, SDK header sets) at the copies:
    # their sources, include folders and module paths. The modules folder itself stays on every
    # include path, behind the copies, for the modules no patch touches.
    string (SHA256 patch_set "${fingerprint}")
    string (SUBSTRING "${patch_set}" 0 16 patch_set)

    get_property (juce_targets DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" PROPERTY BUILDSYSTEM_TARGETS)

    foreach (target IN LISTS juce_targets)
        foreach (property INTERFACE_SOURCES INTERFACE_INCLUDE_DIRECTORIES INTERFACE_JUCE_MODULE_SOURCES INTERFACE_JUCE_MODULE_HEADERS)
            get_target_property (values ${target} ${property})

            if (NOT values)
                continue ()
            endif ()

            set (rewritten)

            foreach (value IN LISTS values)
                if ("${value}" STREQUAL "${JUCE_MODULES_DIR}")
                    list (APPEND rewritten "${patched_modules}")
                else ()
                    foreach (module IN LISTS modules)
                        string (REPLACE "${JUCE_MODULES_DIR}/${module}/" "${patched_modules}/${module}/" value "${value}")
                    endforeach ()
                endif ()

                list (APPEND rewritten "${value}")
            endforeach ()

            set_target_properties (${target} PROPERTIES ${property} "${rewritten}")
        endforeach ()

        if ("${target}" IN_LIST modules)
            set_target_properties (${target} PROPERTIES INTERFACE_JUCE_MODULE_PATH "${patched_modules}")
        endif ()

        # A copy that newly shadows an installed header (a patch to juce_gui_basics, whose headers
        # every other GUI module includes) changes no file an existing object was built from, so
        # neither Ninja nor ccache's direct mode would rebuild those objects, and they would keep
        # the old class layouts. Everything compiled against JUCE gets the patch set's fingerprint
        # as a definition instead: a new set changes the compile flags, and all of it rebuilds.
        get_target_property (module_sources ${target} INTERFACE_JUCE_MODULE_SOURCES)

        if (module_sources)
            set_property (TARGET ${target} APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS "ECHOVANE_JUCE_PATCH_SET=${patch_set}")
        endif ()
    endforeach ()
endfunction ()
