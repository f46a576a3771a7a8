# Code seal (CodeResources) and CMS signature of bundles. The CMS side and
# OpenSSL live in libVeltoCms, which the seal check loads only for a bundle that
# carries a signature; velto-codesign and the tests link it.
target_sources(VeltoPlatformCore PRIVATE
    CodeResources.cpp CodeResources.h
    CodeSignature.cpp CodeSignature.h
    CmsLibrary.cpp CmsLibrary.h
    CmsSignature.h)
target_link_libraries(VeltoPlatformCore PUBLIC ${CMAKE_DL_LIBS})

add_library(VeltoCms SHARED CmsSignature.cpp CmsSignature.h)
target_include_directories(VeltoCms PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/..)
target_link_libraries(VeltoCms PRIVATE Qt6::Core OpenSSL::Crypto velto_options)
set_target_properties(VeltoCms PROPERTIES
    OUTPUT_NAME VeltoCms
    VERSION ${PROJECT_VERSION}
    SOVERSION 1
    CXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/velto.app/Contents/Frameworks)
