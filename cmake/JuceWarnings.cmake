# JUCE's code is Debian's, not ours: its warnings are not ours to read, and about ninety of them
# (GCC 12's dangling-pointer check on ListenerList's iterator, seen in every module that keeps a
# listener list) would drown any of ours. Two measures keep them out without hiding our own:
#
# - JUCE's include folders are system folders for everything that sees them, so a JUCE header
#   included by our code (and every template of it we instantiate) is read without warnings.
# - JUCE's own translation units (the module sources and the plug-in wrapper, compiled inside
#   the plug-in and the host kit, patched or not) are compiled without the warnings JUCE 7.0.5
#   is known to raise, listed below, and never as errors. Anything else they raise still shows,
#   so a warning in one of our own patches to JUCE is read.
#
# Call once, right after echovane_patch_juce_modules, before any target of ours exists.
function (echovane_keep_juce_warnings_out)
    get_property (juce_targets DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" PROPERTY BUILDSYSTEM_TARGETS)

    set (juce_include_directories)
    set (juce_sources)

    foreach (target IN LISTS juce_targets)
        get_target_property (directories ${target} INTERFACE_INCLUDE_DIRECTORIES)

        if (directories)
            set_property (TARGET ${target} APPEND PROPERTY INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${directories})
            list (APPEND juce_include_directories ${directories})
        endif ()

        get_target_property (sources ${target} INTERFACE_SOURCES)

        if (sources)
            list (APPEND juce_sources ${sources})
        endif ()
    endforeach ()

    list (REMOVE_DUPLICATES juce_include_directories)
    list (REMOVE_DUPLICATES juce_sources)

    # A target that uses a carrier's JUCE sees JUCE's folders through the carrier's include
    # folders, where they are plain ones; this marks them as system folders there too (see
    # echovane_use_carrier). Every JUCE folder must be a system folder everywhere: a plain one is
    # searched before every system one, and so could shadow a patched copy.
    add_library (echovane_juce_system_headers INTERFACE)
    target_include_directories (echovane_juce_system_headers SYSTEM INTERFACE ${juce_include_directories})

    set_property (GLOBAL PROPERTY ECHOVANE_JUCE_SOURCES "${juce_sources}")
endfunction ()

# What JUCE 7.0.5's own translation units raise under GCC 12 in our builds, each with where.
set (ECHOVANE_JUCE_KNOWN_WARNINGS
    # ListenerList::call keeps a pointer to its local iterator in the list while it runs.
    -Wno-dangling-pointer
    # juce_curl_Network.cpp asks curl for a content length the old way.
    -Wno-deprecated-declarations)

# Compiles JUCE's translation units inside `target` (one that links JUCE's modules or its plug-in
# wrapper) without JUCE's known warnings and never as errors.
function (echovane_compile_juce_as_theirs target)
    get_property (juce_sources GLOBAL PROPERTY ECHOVANE_JUCE_SOURCES)
    set_source_files_properties (${juce_sources} TARGET_DIRECTORY ${target}
        PROPERTIES COMPILE_OPTIONS "${ECHOVANE_JUCE_KNOWN_WARNINGS};-Wno-error")
endfunction ()
