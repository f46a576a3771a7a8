# JSON user-defaults domains and the XDG folders they live in.
target_sources(VeltoPlatformCore PRIVATE
    UserDefaults.cpp UserDefaults.h
    StandardPaths.cpp StandardPaths.h)
