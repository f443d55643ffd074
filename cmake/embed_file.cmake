# Turns a data file into a C++ source holding it as a string, so that the
# executables carry the file and need no source tree at run time.
function(tavrolin_embed_file target input symbol)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_file_run.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/embed_file_run.cmake
    COMMENT "Embedding ${input}")
  target_sources(${target} PRIVATE ${output})
endfunction()
