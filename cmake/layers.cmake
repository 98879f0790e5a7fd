# The layers of the program, lowest first. Each line names a top-level folder and the folders its code includes
# directly; a folder may include itself, the folders it names and whatever those may include, and it may name only
# folders above it in this list, so no include can point up. README's Layout table follows this order.
#
# The build holds every library to this: a library's sources see the project through a folder of links made for
# it (build/layers/<folder>/) that holds only what it may include, never the project root, so an include from a
# higher layer or a side one is a file not found. Tests, benchmarks, fuzz targets and tools see the whole tree.
# `cmake -P cmake/print_layers.cmake` prints the table.
set(VORTAXEL_LAYERS
    "web:"
    "text:"
    "services:"
    "crawl: web text"
    "export: crawl services"
    "net: web"
    "render:"
    "store: crawl export text"
    "analysis: store"
    "app: store net render"
    "platform: services"
    "ui: app analysis platform"
    "cli: app analysis platform")

# VORTAXEL_LAYER_FOLDERS: the folders in order; VORTAXEL_LAYER_USES_<f>: what <f> names;
# VORTAXEL_LAYER_REACH_<f>: everything <f> may include, itself first.
set(VORTAXEL_LAYER_FOLDERS "")
foreach(line IN LISTS VORTAXEL_LAYERS)
    string(REGEX MATCH "^([a-z_]+):(.*)$" matched "${line}")
    if(NOT matched)
        message(FATAL_ERROR "layers.cmake: cannot read the line \"${line}\"")
    endif()
    set(folder ${CMAKE_MATCH_1})
    string(STRIP "${CMAKE_MATCH_2}" uses)
    separate_arguments(uses UNIX_COMMAND "${uses}")
    set(reach ${folder})
    foreach(used IN LISTS uses)
        if(NOT used IN_LIST VORTAXEL_LAYER_FOLDERS)
            message(FATAL_ERROR "layers.cmake: ${folder} names ${used}, which is not a layer below it")
        endif()
        list(APPEND reach ${VORTAXEL_LAYER_REACH_${used}})
    endforeach()
    list(REMOVE_DUPLICATES reach)
    set(VORTAXEL_LAYER_USES_${folder} ${uses})
    set(VORTAXEL_LAYER_REACH_${folder} ${reach})
    list(APPEND VORTAXEL_LAYER_FOLDERS ${folder})
endforeach()
unset(matched)
unset(folder)
unset(uses)
unset(reach)

# Makes build/layers/<folder>/ hold a link to each folder <folder> may include, and nothing else. Links that are
# already right are left alone, so a configure run does not make the build think headers changed.
function(vortaxel_layer_include_folder folder out)
    set(dir ${PROJECT_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${dir})
    file(GLOB present RELATIVE ${dir} ${dir}/*)
    foreach(entry IN LISTS present)
        if(NOT entry IN_LIST VORTAXEL_LAYER_REACH_${folder})
            file(REMOVE ${dir}/${entry})
        endif()
    endforeach()
    foreach(reached IN LISTS VORTAXEL_LAYER_REACH_${folder})
        set(link ${dir}/${reached})
        set(target ${PROJECT_SOURCE_DIR}/${reached})
        if(IS_SYMLINK ${link})
            file(READ_SYMLINK ${link} current)
            if(current STREQUAL target)
                continue()
            endif()
            file(REMOVE ${link})
        endif()
        file(CREATE_LINK ${target} ${link} SYMBOLIC)
    endforeach()
    set(${out} ${dir} PARENT_SCOPE)
endfunction()

# Puts the library `target`, built from the sources of `folder`, in its layer: its sources see only what the
# folder may include, and its consumers see nothing of it through it (each has its own layer's folder).
function(vortaxel_layer target folder)
    if(NOT folder IN_LIST VORTAXEL_LAYER_FOLDERS)
        message(FATAL_ERROR "${target}: ${folder} is not in the layer table (cmake/layers.cmake)")
    endif()
    vortaxel_layer_include_folder(${folder} dir)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} PRIVATE ${dir})
    endif()
    set_property(TARGET ${target} PROPERTY VORTAXEL_LAYER ${folder})
    set_property(GLOBAL APPEND PROPERTY VORTAXEL_LAYER_TARGETS ${target})
endfunction()

# Run once every target exists: a layer's target may link only the targets of layers it may include.
function(vortaxel_check_layer_links)
    get_property(targets GLOBAL PROPERTY VORTAXEL_LAYER_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(folder ${target} VORTAXEL_LAYER)
        get_target_property(type ${target} TYPE)
        set(linked "")
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(linked ${target} LINK_LIBRARIES)
        endif()
        get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
        foreach(item IN LISTS linked interface)
            if(NOT item OR NOT TARGET ${item})
                continue()
            endif()
            get_target_property(item_folder ${item} VORTAXEL_LAYER)
            if(item_folder AND NOT item_folder IN_LIST VORTAXEL_LAYER_REACH_${folder})
                message(FATAL_ERROR "${target} (${folder}/) links ${item} (${item_folder}/), "
                    "which the layer table (cmake/layers.cmake) does not let ${folder}/ use")
            endif()
        endforeach()
    endforeach()
endfunction()
