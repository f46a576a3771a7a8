# Code seal (CodeResources) and CMS signature of bundles.
target_sources(VeltoPlatformCore PRIVATE
    CodeResources.cpp CodeResources.h
    CodeSignature.cpp CodeSignature.h)
