# velto.app: Contents/Info.json, Contents/Linux/velto, Contents/Frameworks
# (the plug-in kit and libVeltoCms), Contents/Helpers (the download helper) and
# Contents/Resources/Plugins (the built-in bundles).
# Building the `package` target lays out all of it.

set(VELTO_APP_DIR ${CMAKE_BINARY_DIR}/velto.app)
set_target_properties(VeltoPluginKit PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${VELTO_APP_DIR}/Contents/Frameworks)

set(velto_feed_entry "")
if(VELTO_FEED_URL)
    # The updater reads feeds only over https, and the value goes into the JSON as written.
    if(NOT VELTO_FEED_URL MATCHES "^https://[^\"\\ ]+$")
        message(FATAL_ERROR "VELTO_FEED_URL must be an https:// address without quotes, backslashes or blanks")
    endif()
    set(velto_feed_entry ",\n    \"SUFeedURL\": \"${VELTO_FEED_URL}\"")
endif()
file(GENERATE OUTPUT ${VELTO_APP_DIR}/Contents/Info.json CONTENT "{
    \"CFBundleExecutable\": \"velto\",
    \"CFBundleIdentifier\": \"${VELTO_BUNDLE_IDENTIFIER}\",
    \"CFBundleName\": \"velto\",
    \"CFBundleShortVersionString\": \"${PROJECT_VERSION}\",
    \"CFBundleVersion\": \"${VELTO_BUILD_NUMBER}\"${velto_feed_entry}
}
")

get_property(velto_builtin_bundles GLOBAL PROPERTY VELTO_BUILTIN_BUNDLE_TARGETS)
add_custom_target(package ALL DEPENDS velto velto-fetch VeltoCms ${velto_builtin_bundles})
