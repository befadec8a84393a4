# Warnings are errors in our own code; Qt's headers come in as system headers.
function(vr_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Adds every .cpp/.h of the calling folder (not recursive) to a library: the
# engine unless the folder names another (app/ names vrapp).
function(vr_add_sources)
    set(_library vrengine)
    if(ARGC GREATER 0)
        set(_library ${ARGV0})
    endif()
    file(GLOB _sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER _sources EXCLUDE REGEX "/main\\.cpp$")
    target_sources(${_library} PRIVATE ${_sources})
endfunction()

# The SAX classes of Core5Compat are deprecated API; only the files that use
# them get that one warning switched off.
function(vr_uses_sax)
    foreach(_file IN LISTS ARGN)
        set_property(SOURCE ${_file} TARGET_DIRECTORY vrengine APPEND PROPERTY
            COMPILE_OPTIONS -Wno-deprecated-declarations)
    endforeach()
endfunction()
