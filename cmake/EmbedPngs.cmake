# veldra_embed_pngs(TARGET SYMBOL files...): compiles the PNG files into
# TARGET as a table returned by `const AfxEmbeddedPng* SYMBOL(size_t* count)`;
# the deliverable registers it in its module state (AfxRegisterEmbeddedPngs).
function(veldra_embed_pngs target symbol)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${symbol}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DSYMBOL=${symbol} "-DFILES=${ARGN}" -P ${CMAKE_SOURCE_DIR}/cmake/embed_pngs.cmake
    DEPENDS ${ARGN} ${CMAKE_SOURCE_DIR}/cmake/embed_pngs.cmake VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
