# Warning and sanitizer flags shared by every target of the project.
add_library(velto_options INTERFACE)
target_compile_options(velto_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(VELTO_WERROR)
    target_compile_options(velto_options INTERFACE -Werror)
endif()
target_compile_definitions(velto_options INTERFACE
    QT_NO_KEYWORDS
    $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)

if(VELTO_SANITIZE)
    set(VELTO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_compile_options(${VELTO_SANITIZER_FLAGS})
    add_link_options(${VELTO_SANITIZER_FLAGS})
endif()

# Fail early on a standard library that lacks what the sources use.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-std=c++20")
check_cxx_source_compiles("
#include <charconv>
#include <span>
#include <string_view>
int main() { double d = 0; std::string_view s = \"1.5\"; std::from_chars(s.data(), s.data() + s.size(), d); std::span<const char> sp(s.data(), s.size()); return sp.empty(); }"
    VELTO_HAS_CXX20_LIBRARY)
if(NOT VELTO_HAS_CXX20_LIBRARY)
    message(FATAL_ERROR "velto needs a C++20 standard library with floating-point std::from_chars and std::span")
endif()
unset(CMAKE_REQUIRED_FLAGS)
