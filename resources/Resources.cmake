# Resources of the engine library: skins, images, data files, QML and the
# translator. Included from the top-level list (not a subdirectory) so that
# the generated files stay in the same directory scope as their rules.
set(_res ${CMAKE_CURRENT_LIST_DIR})
set(_gen ${CMAKE_BINARY_DIR}/generated-resources)

# Adds every file under resources/<folder> as ":/<prefix>/<path in folder>".
function(vr_add_resource_folder name folder prefix)
    file(GLOB_RECURSE _files CONFIGURE_DEPENDS ${_res}/${folder}/*)
    list(FILTER _files EXCLUDE REGEX "/(CMakeLists\\.txt|README\\.md)$")
    if(_files)
        qt_add_resources(vrengine ${name} PREFIX ${prefix} BASE ${_res}/${folder} FILES ${_files})
    endif()
endfunction()

vr_add_resource_folder(vr_skins skins /skins)
vr_add_resource_folder(vr_images images /images)
vr_add_resource_folder(vr_data data /data)
vr_add_resource_folder(vr_qml qml /qml)
vr_add_resource_folder(vr_qmlcontrol qmlcontrol /qmlcontrol)

# The shipped QML compiled at build time by Qt's qmlcachegen: bytecode, and
# C++ for the bindings whose types it can see. The engine then neither
# compiles these files nor interprets those bindings; a panel makes hundreds
# of widgets from a few files. The QML sources stay in the resources above:
# an engine of another Qt version refuses the compiled units and compiles
# the sources as before. Qt's own qt_add_qml_module would need the private
# QML headers; qmlcachegen's output needs only public ones.
# The loader registers the units with the QML engine as the library loads.
set(_qmlcache ${_gen}/qmlcache)
set(_qmlcache_units)
set(_qmlcache_paths)
foreach(_folder qml qmlcontrol)
    file(GLOB_RECURSE _qml_files CONFIGURE_DEPENDS ${_res}/${_folder}/*.qml)
    foreach(_qml IN LISTS _qml_files)
        file(RELATIVE_PATH _relative ${_res} ${_qml})
        string(REGEX REPLACE "[/.]" "_" _unit ${_relative})
        set(_unit ${_qmlcache}/${_unit}.cpp)
        add_custom_command(OUTPUT ${_unit}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${_qmlcache}
            COMMAND Qt6::qmlcachegen --resource-path /${_relative} -o ${_unit} ${_qml}
            DEPENDS Qt6::qmlcachegen ${_qml}
            COMMENT "Compiling ${_relative}"
            VERBATIM)
        list(APPEND _qmlcache_units ${_unit})
        list(APPEND _qmlcache_paths /${_relative})
    endforeach()
endforeach()
# The name must end so: qmlcachegen writes the loader only for such a file.
set(_qmlcache_loader ${_qmlcache}/vrengine_qmlcache_loader.cpp)
add_custom_command(OUTPUT ${_qmlcache_loader}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_qmlcache}
    COMMAND Qt6::qmlcachegen --resource-name qmlcache_vrengine -o ${_qmlcache_loader} ${_qmlcache_paths}
    DEPENDS Qt6::qmlcachegen
    COMMENT "Writing the loader of the compiled QML"
    VERBATIM)
target_sources(vrengine PRIVATE ${_qmlcache_units} ${_qmlcache_loader})
# Generated code: not held to our warning flags.
set_source_files_properties(${_qmlcache_units} ${_qmlcache_loader} PROPERTIES
    SKIP_AUTOGEN ON COMPILE_OPTIONS -w)

# The built-in demo project: kept as plain source files, packed into an
# archive at build time. The order is the archive's table order: panel file
# first, design project second, then the images.
set(_demo_members
    --utf16be /Demo.cpf
    /project/Demo.vpj
    /image/Demo.png
    /image/MusicPlayer.png
    /image/HandheldMic.png
    /image/VarolinRemoteDemoProjectLogoBannerWide.png
    /Sources.txt)
set(_demo_sources)
foreach(_m IN LISTS _demo_members)
    if(NOT _m STREQUAL "--utf16be")
        list(APPEND _demo_sources ${_res}/demo${_m})
    endif()
endforeach()
set(_demo_cpz ${_gen}/Varolin/Demo.cpz)
add_custom_command(OUTPUT ${_demo_cpz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_gen}/Varolin
    COMMAND cpzpack ${_demo_cpz} ${_res}/demo ${_demo_members}
    DEPENDS cpzpack ${_demo_sources}
    COMMENT "Packing the demo project archive"
    VERBATIM)
qt_add_resources(vrengine vr_demo PREFIX /data BASE ${_gen} FILES ${_demo_cpz})

# The application loads the translator.
qt_add_translations(vrapp
    TS_FILES ${_res}/translations/translate_en.ts
    RESOURCE_PREFIX /Desktop/Client/translators)
