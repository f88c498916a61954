# veldra_embed_pngs(TARGET t FUNCTION name FILES a.png ...): compiles the PNG
# files into `t` and defines `void name(HINSTANCE module)`, which registers
# each one as a bitmap resource of the module under its file name without
# the extension (LoadBitmap ignores case).
function(veldra_embed_pngs)
  cmake_parse_arguments(E "" "TARGET;FUNCTION" "FILES" ${ARGN})
  set(body "// Generated from PNG files: bitmap resources.\n#include \"platform/gdi/gdi.h\"\n\n")
  set(calls "")
  set(i 0)
  foreach(f ${E_FILES})
    file(READ ${f} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    get_filename_component(name ${f} NAME_WE)
    string(APPEND body "static const unsigned char k_${E_FUNCTION}_${i}[] = {${bytes}};\n")
    string(APPEND calls "    RegisterBitmapResource(module, \"${name}\", k_${E_FUNCTION}_${i}, sizeof k_${E_FUNCTION}_${i});\n")
    math(EXPR i "${i} + 1")
  endforeach()
  string(APPEND body "\nvoid ${E_FUNCTION}(HINSTANCE module)\n{\n${calls}}\n")
  set(out ${CMAKE_BINARY_DIR}/generated/${E_FUNCTION}.cpp)
  file(GENERATE OUTPUT ${out} CONTENT "${body}")
  target_sources(${E_TARGET} PRIVATE ${out})
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${E_FILES})
endfunction()
