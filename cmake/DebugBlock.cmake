# A module that carries its own debug block is linked twice: once without it
# (the bare target), from which vldebug writes the block, and once with the block
# as its VLDATA resource. Adding a resource leaves code and data as they were.
#   add_debug_block(TARGET BARE OPTIONS_FILE [PASSWORD password])
function(add_debug_block target bare options)
    cmake_parse_arguments(arg "" "PASSWORD" "" ${ARGN})
    set(block ${CMAKE_CURRENT_BINARY_DIR}/${target}-VLDATA.bin)
    add_custom_command(
        OUTPUT ${block}
        COMMAND ${LUMARO_HOST_TOOLS}/vldebug $<TARGET_FILE:${bare}> ${options} ${block} ${arg_PASSWORD}
        DEPENDS ${bare} ${options} ${LUMARO_HOST_TOOLS}/vldebug
        VERBATIM)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-VLDATA.rc)
    file(WRITE ${rc} "VLDATA RCDATA \"${target}-VLDATA.bin\"\n")
    add_library(${target}_debug_data OBJECT ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${block})
    target_include_directories(${target}_debug_data PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:${target}_debug_data>)
endfunction()
