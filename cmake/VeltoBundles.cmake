# Plug-in bundles: X.bundle/Contents/Info.json and Contents/Linux/<module>.

set(VELTO_ASSEMBLE_BUNDLE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/AssembleBundle.cmake)

# velto_add_bundle(<target> BUNDLE_DIR <dir> PRINCIPAL_CLASS <name>
#                  [IDENTIFIER <id>] [API_VERSION <json>] [INFO_JSON <file>] [UNSIGNED])
#
# Assembles <dir> from the module <target> after every build of it and seals it
# ad hoc with velto-codesign, unless UNSIGNED. API_VERSION is the JSON text of
# VeltoPluginAPIVersion (default 1; "\"1\"" gives the text). INFO_JSON replaces
# the generated Info dictionary altogether.
function(velto_add_bundle target)
    cmake_parse_arguments(ARG "UNSIGNED" "BUNDLE_DIR;PRINCIPAL_CLASS;IDENTIFIER;API_VERSION;INFO_JSON;STAMP_TARGET" "" ${ARGN})
    if(NOT ARG_API_VERSION)
        set(ARG_API_VERSION 1)
    endif()
    if(NOT ARG_IDENTIFIER)
        set(ARG_IDENTIFIER "org.velto.plugin.${target}")
    endif()
    get_filename_component(bundle_file_name ${ARG_BUNDLE_DIR} NAME)
    if(ARG_INFO_JSON)
        set(info_file ${ARG_INFO_JSON})
    else()
        set(info_file ${CMAKE_CURRENT_BINARY_DIR}/${bundle_file_name}.Info.json)
        file(GENERATE OUTPUT ${info_file} CONTENT "{
    \"CFBundleExecutable\": \"$<TARGET_FILE_NAME:${target}>\",
    \"CFBundleIdentifier\": \"${ARG_IDENTIFIER}\",
    \"CFBundleName\": \"${bundle_file_name}\",
    \"NSPrincipalClass\": \"${ARG_PRINCIPAL_CLASS}\",
    \"VeltoPluginAPIVersion\": ${ARG_API_VERSION}
}
")
    endif()
    if(ARG_UNSIGNED)
        set(signer "")
    else()
        set(signer $<TARGET_FILE:velto-codesign>)
    endif()
    string(MAKE_C_IDENTIFIER "${bundle_file_name}" stamp_name)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${stamp_name}_${target}.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND}
            -DBUNDLE_DIR=${ARG_BUNDLE_DIR}
            -DMODULE_FILE=$<TARGET_FILE:${target}>
            -DINFO_JSON=${info_file}
            -DSIGNER=${signer}
            -P ${VELTO_ASSEMBLE_BUNDLE_SCRIPT}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${target} ${info_file} ${VELTO_ASSEMBLE_BUNDLE_SCRIPT} $<$<NOT:$<BOOL:${ARG_UNSIGNED}>>:velto-codesign>
        COMMENT "Assembling ${bundle_file_name}"
        VERBATIM)
    if(NOT ARG_STAMP_TARGET)
        set(ARG_STAMP_TARGET ${stamp_name}_${target}_bundle)
    endif()
    add_custom_target(${ARG_STAMP_TARGET} ALL DEPENDS ${stamp})
endfunction()

# velto_add_builtin_plugin(<module target> BUNDLE <Name> PRINCIPAL_CLASS <class>)
#
# A bundle that ships inside velto.app under Contents/Resources/Plugins.
function(velto_add_builtin_plugin target)
    cmake_parse_arguments(ARG "" "BUNDLE;PRINCIPAL_CLASS" "" ${ARGN})
    velto_add_bundle(${target}
        BUNDLE_DIR ${CMAKE_BINARY_DIR}/velto.app/Contents/Resources/Plugins/${ARG_BUNDLE}.bundle
        PRINCIPAL_CLASS ${ARG_PRINCIPAL_CLASS}
        IDENTIFIER ${VELTO_BUNDLE_IDENTIFIER}.${ARG_BUNDLE}
        STAMP_TARGET ${ARG_BUNDLE}_bundle)
    set_property(GLOBAL APPEND PROPERTY VELTO_BUILTIN_BUNDLE_TARGETS ${ARG_BUNDLE}_bundle)
endfunction()
