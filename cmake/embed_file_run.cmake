file(READ ${INPUT} content HEX)
string(LENGTH "${content}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
file(WRITE ${OUTPUT}
  "#include <string_view>\n"
  "namespace tav::embedded {\n"
  "static const char k${SYMBOL}Data[] = {${bytes} 0};\n"
  "extern const std::string_view ${SYMBOL}(k${SYMBOL}Data, ${byte_count});\n"
  "}\n")
