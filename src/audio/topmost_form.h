#pragma once

#include <cstdint>

namespace voxtrel {

// A form the audio object can place topmost at its remembered position.
class TopmostForm {
 public:
  virtual void PlaceTopmost(int x, int y) = 0;

 protected:
  ~TopmostForm() = default;
};

// What the encoder wait needs of its caller: placing the progress window.
class FormPositioner {
 public:
  virtual void setFormVizPos(std::int16_t& MinimumPositionForEQX,
                             std::int16_t& MinimumPositionForEQY, TopmostForm* f) = 0;

 protected:
  ~FormPositioner() = default;
};

}  // namespace voxtrel
