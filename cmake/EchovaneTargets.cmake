# A target that compiled the JUCE modules (a "carrier": the plug-in's shared code, or the host kit)
# hands its module build to consumers without them compiling JUCE again: they link the carrier
# and see its include paths (JUCE's as system folders) and module configuration.
function (echovane_use_carrier consumer carrier)
    target_link_libraries (${consumer} PRIVATE ${carrier} echovane_juce_system_headers)
    target_include_directories (${consumer} PRIVATE $<TARGET_PROPERTY:${carrier},INCLUDE_DIRECTORIES>)
    target_compile_definitions (${consumer} PRIVATE $<TARGET_PROPERTY:${carrier},COMPILE_DEFINITIONS>)
    target_compile_options (${consumer} PRIVATE $<TARGET_PROPERTY:${carrier},COMPILE_OPTIONS>)
endfunction ()
