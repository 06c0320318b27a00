# Writes a C++ source that holds the bytes of INPUT, returned by FUNCTION (a
# std::string_view in NAMESPACE). Usage: cmake -DINPUT=.. -DOUTPUT=.. -DNAMESPACE=.. -DFUNCTION=.. -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(([^,]*,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.\n#include <string_view>\n\nnamespace ${NAMESPACE} {\n\nnamespace {\nconst char kBytes[] = {\n    ${bytes}'\\0'};\n}  // namespace\n\nstd::string_view ${FUNCTION}() { return std::string_view(kBytes, ${size}); }\n\n}  // namespace ${NAMESPACE}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
