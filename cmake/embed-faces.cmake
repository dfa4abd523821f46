# cmake -DOUTPUT=file.cpp -DFOLDER=resources/faces -P embed-faces.cmake
# Writes the button faces' BMP files as byte arrays, for the doubles and the simulated Outlook.
set(faces "113 product" "114 record" "115 play" "116 stop" "117 pause" "119 delete"
          "120 properties")
set(body "")
set(table "")
foreach(face ${faces})
  separate_arguments(parts UNIX_COMMAND "${face}")
  list(GET parts 0 id)
  list(GET parts 1 name)
  file(READ "${FOLDER}/${name}.bmp" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND body "const unsigned char k_${name}[] = {${bytes}};\n")
  string(APPEND table "      {${id}, \"${name}\", {k_${name}, k_${name} + sizeof k_${name}}},\n")
endforeach()
file(WRITE "${OUTPUT}.new" "// Generated from resources/faces by cmake/embed-faces.cmake.
#include \"sim/pictures/embedded_faces.h\"

namespace voxtrel::sim {
namespace {
${body}}  // namespace

const std::vector<EmbeddedFace>& EmbeddedFaces() {
  static const std::vector<EmbeddedFace> faces = {
${table}  };
  return faces;
}

}  // namespace voxtrel::sim
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
