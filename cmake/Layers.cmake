# The layers of src/: each folder with the folders directly below it. A file may include its own
# folder and whatever lies below it, never a folder above. Two things read this table: each
# library's include roots (zorbel_layer_includes), so that the compiler finds no header of a layer
# above, and the test that reads every #include line under src/ (tests/layers). src/main.cpp is
# the layer "main".
#
#   screens -> widgets -> ui, audio -> platform        screens -> net -> play -> records
#   ui -> assets                                        records -> settings -> engine, platform
set(ZORBEL_LAYERS engine platform assets settings records play net audio ui widgets screens main)
set(ZORBEL_BELOW_engine)
set(ZORBEL_BELOW_platform)
set(ZORBEL_BELOW_assets)
# The settings file's folder comes from the platform's one per-user folder lookup.
set(ZORBEL_BELOW_settings engine platform)
set(ZORBEL_BELOW_records settings)
set(ZORBEL_BELOW_play records)
set(ZORBEL_BELOW_net play)
set(ZORBEL_BELOW_audio platform)
set(ZORBEL_BELOW_ui platform assets)
set(ZORBEL_BELOW_widgets ui audio)
set(ZORBEL_BELOW_screens widgets net play)
set(ZORBEL_BELOW_main screens)

# Every layer below `layer`, however far, into `out`.
function(zorbel_layers_below layer out)
    if(NOT layer IN_LIST ZORBEL_LAYERS)
        message(FATAL_ERROR "${layer} is no layer of cmake/Layers.cmake")
    endif()
    set(found)
    set(pending ${ZORBEL_BELOW_${layer}})
    while(pending)
        list(POP_FRONT pending next)
        if(NOT next IN_LIST found)
            list(APPEND found ${next})
            list(APPEND pending ${ZORBEL_BELOW_${next}})
        endif()
    endwhile()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# Gives `target` the include root of `layer`: a folder in the build tree holding links to src/
# folders of that layer and those below it, and nothing else. PUBLIC, since the layer's headers
# include those below it; a library above may include them as well. The library of each layer
# below that exists is linked, so that adding a layer's library is one zorbel_library line.
function(zorbel_layer_includes target layer)
    zorbel_layers_below(${layer} below)
    set(root ${CMAKE_BINARY_DIR}/layers/${layer})
    # Made anew at each configure, so that a layer taken out of the table leaves no link behind.
    file(GLOB old LIST_DIRECTORIES true ${root}/*)
    if(old)
        file(REMOVE ${old})
    endif()
    file(MAKE_DIRECTORY ${root})
    foreach(folder ${layer} ${below})
        if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/src/${folder})
            file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
        endif()
    endforeach()
    get_target_property(type ${target} TYPE)
    set(scope PUBLIC)
    if(type STREQUAL "EXECUTABLE")
        set(scope PRIVATE)
    endif()
    target_include_directories(${target} ${scope} ${root})
    foreach(folder ${below})
        target_link_libraries(${target} ${scope} $<TARGET_NAME_IF_EXISTS:zorbel_${folder}>)
    endforeach()
endfunction()
