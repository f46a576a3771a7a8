# cmake -DBUNDLE_DIR= -DMODULE_FILE= -DINFO_JSON= [-DSIGNER=velto-codesign] -P AssembleBundle.cmake
#
# Lays out a plug-in bundle from scratch, so that nothing left from an earlier
# build ends up under its seal, then seals it ad hoc when a signer is given.
foreach(var BUNDLE_DIR MODULE_FILE INFO_JSON)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "AssembleBundle.cmake needs -D${var}=")
    endif()
endforeach()

file(REMOVE_RECURSE ${BUNDLE_DIR})
file(MAKE_DIRECTORY ${BUNDLE_DIR}/Contents/Linux)
file(COPY_FILE ${INFO_JSON} ${BUNDLE_DIR}/Contents/Info.json)
get_filename_component(module_name ${MODULE_FILE} NAME)
file(COPY_FILE ${MODULE_FILE} ${BUNDLE_DIR}/Contents/Linux/${module_name})

if(SIGNER)
    execute_process(COMMAND ${SIGNER} sign --adhoc ${BUNDLE_DIR} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "velto-codesign could not seal ${BUNDLE_DIR}")
    endif()
endif()
