#pragma once

#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace voxtrel::sim {

// A button face's BMP file as resources/faces holds it, with its resource id.
struct EmbeddedFace {
  int id;
  std::string name;
  platform::Bytes bmp;
};

// Embedded at build time, in resource id order.
const std::vector<EmbeddedFace>& EmbeddedFaces();

}  // namespace voxtrel::sim
