# Writes a C++ source that registers a resource script's text with the Linux
# dialog manager. Quoted #includes are pasted in from the script's folder.
# Usage: cmake -DINPUT=<script.rc> -DOUTPUT=<file.cpp> -P embed_rc.cmake
file(READ "${INPUT}" text)
get_filename_component(dir "${INPUT}" DIRECTORY)
string(REGEX MATCHALL "#include[ \t]*\"[^\"]+\"" includes "${text}")
foreach(line IN LISTS includes)
    string(REGEX REPLACE "#include[ \t]*\"([^\"]+)\"" "\\1" name "${line}")
    if(NOT EXISTS "${dir}/${name}")
        message(FATAL_ERROR "${INPUT}: included file ${name} not found")
    endif()
    file(READ "${dir}/${name}" body)
    string(REPLACE "${line}" "${body}" text "${text}")
endforeach()
string(FIND "${text}" ")rc_text\"" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${INPUT} contains the text that ends the embedded string")
endif()
get_filename_component(source "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp" "// Generated from ${source} at build time.
#include \"win32/dialog_template.h\"

namespace {

const char kScript[] = R\"rc_text(${text})rc_text\";

struct Registration {
    Registration() { win32::RegisterResourceScript(kScript); }
} registration;

}  // namespace
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
