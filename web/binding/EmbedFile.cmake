# Writes OUTPUT, a C++ source whose function FUNCTION returns the bytes of
# INPUT as a std::string_view.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
# Forty bytes a line.
string(REGEX REPLACE "((('\\\\x[0-9a-f][0-9a-f]',)){40})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.new"
  "// Made from ${INPUT} by EmbedFile.cmake; not to be edited.\n"
  "#include <string_view>\n\n"
  "namespace {\nconstexpr char kBytes[${size} + 1] = {\n    ${bytes}'\\0'};\n}  // namespace\n\n"
  "std::string_view ${FUNCTION}() { return {kBytes, ${size}}; }\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
