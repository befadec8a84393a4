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
